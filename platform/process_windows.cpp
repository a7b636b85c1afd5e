#include "platform/process.h"

#include <algorithm>
#include <cwchar>
#include <thread>

#include "platform/line_buffer.h"
#include "platform/wide_text_windows.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Quotes one argument so that the child's command-line parser gives it back unchanged.
std::wstring quote_arg(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    for (auto it = arg.begin();; ++it) {
        size_t backslashes = 0;
        while (it != arg.end() && *it == L'\\') {
            ++it;
            ++backslashes;
        }
        if (it == arg.end()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        if (*it == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        out.push_back(*it);
    }
    out.push_back(L'"');
    return out;
}

std::wstring command_line(const std::filesystem::path& program, const std::vector<std::string>& args)
{
    std::wstring line = quote_arg(program.wstring());
    for (const auto& arg : args) line += L" " + quote_arg(widen(arg));
    return line;
}

bool has_directory(const std::filesystem::path& program)
{
    return program.wstring().find_first_of(L"\\/:") != std::wstring::npos;
}

std::wstring name_of(const std::wstring& entry)
{
    // Entries such as "=C:=C:\dir" keep their leading '=' in the name.
    size_t eq = entry.find(L'=', 1);
    return entry.substr(0, eq);
}

bool same_name(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A Unicode environment block: the inherited variables with extra_env laid over them, sorted by
// name without regard to case, each entry ending in a NUL and the block in a second NUL.
std::vector<wchar_t> environment_block(const std::vector<std::string>& extra_env)
{
    std::vector<std::wstring> extras;
    for (const auto& e : extra_env) extras.push_back(widen(e));

    std::vector<std::wstring> entries;
    if (wchar_t* inherited = GetEnvironmentStringsW()) {
        for (const wchar_t* p = inherited; *p; p += wcslen(p) + 1) {
            std::wstring entry(p);
            bool overridden = std::any_of(extras.begin(), extras.end(), [&](const std::wstring& x) {
                return same_name(name_of(x), name_of(entry));
            });
            if (!overridden) entries.push_back(std::move(entry));
        }
        FreeEnvironmentStringsW(inherited);
    }
    entries.insert(entries.end(), extras.begin(), extras.end());
    std::stable_sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        std::wstring na = name_of(a), nb = name_of(b);
        return CompareStringOrdinal(na.c_str(), static_cast<int>(na.size()), nb.c_str(),
                                    static_cast<int>(nb.size()), TRUE) == CSTR_LESS_THAN;
    });

    std::vector<wchar_t> block;
    for (const auto& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    if (block.empty()) block.push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

} // namespace

std::filesystem::path executable_path()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::filesystem::path(std::wstring(buffer.data(), n));
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool start_detached(const std::filesystem::path& program, const std::vector<std::string>& args,
                    const std::filesystem::path& working_dir)
{
    std::wstring line = command_line(program, args);
    std::wstring app = program.wstring();
    std::wstring dir = working_dir.wstring();
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessW(has_directory(program) ? app.c_str() : nullptr, line.data(), nullptr,
                             nullptr, FALSE, DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr,
                             dir.empty() ? nullptr : dir.c_str(), &si, &pi);
    if (!ok) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

struct ChildProcess::Handle {
    HANDLE process = nullptr;
    HANDLE out_read = nullptr;
    LineBuffer lines;
    std::optional<int> exit_code;
};

ChildProcess::ChildProcess(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}

ChildProcess::~ChildProcess()
{
    if (running()) stop();
    if (m_handle->out_read) CloseHandle(m_handle->out_read);
    if (m_handle->process) CloseHandle(m_handle->process);
}

std::unique_ptr<ChildProcess> ChildProcess::start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& args,
                                                  const std::vector<std::string>& extra_env, Errors errors)
{
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof inherit;
    inherit.bInheritHandle = TRUE;

    HANDLE out_read = nullptr;
    HANDLE out_write = nullptr;
    if (!CreatePipe(&out_read, &out_write, &inherit, 0)) return nullptr;
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);

    HANDLE null_in = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE err = nullptr;
    HANDLE parent_err = GetStdHandle(STD_ERROR_HANDLE);
    if (errors == Errors::Shared && parent_err && parent_err != INVALID_HANDLE_VALUE) {
        DuplicateHandle(GetCurrentProcess(), parent_err, GetCurrentProcess(), &err, 0, TRUE,
                        DUPLICATE_SAME_ACCESS);
    }

    // Only these handles reach the child, so a pipe made for another child started at the same
    // moment from another thread is never inherited (which would keep its output open).
    std::vector<HANDLE> handles{out_write};
    if (null_in != INVALID_HANDLE_VALUE) handles.push_back(null_in);
    if (err) handles.push_back(err);

    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si;
    si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    si.StartupInfo.hStdInput = null_in != INVALID_HANDLE_VALUE ? null_in : nullptr;
    si.StartupInfo.hStdOutput = out_write;
    si.StartupInfo.hStdError = err ? err : out_write;

    SIZE_T attr_size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &attr_size);
    std::vector<unsigned char> attr_buffer(attr_size);
    auto attrs = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attr_buffer.data());
    const bool attrs_made = InitializeProcThreadAttributeList(attrs, 1, 0, &attr_size) != 0;
    const bool attrs_ready = attrs_made &&
        UpdateProcThreadAttribute(attrs, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                                  handles.size() * sizeof(HANDLE), nullptr, nullptr);
    si.lpAttributeList = attrs_ready ? attrs : nullptr;

    std::wstring line = command_line(program, args);
    std::wstring app = program.wstring();
    std::vector<wchar_t> env = environment_block(extra_env);
    PROCESS_INFORMATION pi{};
    BOOL ok = attrs_ready &&
        CreateProcessW(has_directory(program) ? app.c_str() : nullptr, line.data(), nullptr, nullptr,
                       TRUE, EXTENDED_STARTUPINFO_PRESENT | CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                       env.data(), nullptr, &si.StartupInfo, &pi);

    if (attrs_made) DeleteProcThreadAttributeList(attrs);
    CloseHandle(out_write);
    if (null_in != INVALID_HANDLE_VALUE) CloseHandle(null_in);
    if (err) CloseHandle(err);
    if (!ok) {
        CloseHandle(out_read);
        return nullptr;
    }
    CloseHandle(pi.hThread);
    auto handle = std::make_unique<Handle>();
    handle->process = pi.hProcess;
    handle->out_read = out_read;
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(handle)));
}

std::optional<std::string> ChildProcess::read_line(std::chrono::milliseconds timeout)
{
    Handle& h = *m_handle;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto line = h.lines.take_line()) return line;
        if (h.lines.ended()) return std::nullopt;
        DWORD available = 0;
        if (!PeekNamedPipe(h.out_read, nullptr, 0, nullptr, &available, nullptr)) {
            h.lines.mark_end();  // broken pipe: the child closed its output
            continue;
        }
        if (available == 0) {
            if (Clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        char chunk[4096];
        DWORD n = 0;
        DWORD want = available < sizeof chunk ? available : static_cast<DWORD>(sizeof chunk);
        if (!ReadFile(h.out_read, chunk, want, &n, nullptr) || n == 0) {
            h.lines.mark_end();
            continue;
        }
        h.lines.append(chunk, n);
    }
}

bool ChildProcess::running()
{
    Handle& h = *m_handle;
    if (h.exit_code || !h.process) return false;
    if (WaitForSingleObject(h.process, 0) != WAIT_OBJECT_0) return true;
    DWORD code = 0;
    h.exit_code = GetExitCodeProcess(h.process, &code) ? static_cast<int>(code) : -1;
    return false;
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout)
{
    Handle& h = *m_handle;
    if (!running()) return h.exit_code;
    DWORD ms = timeout.count() <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(timeout.count(), 0x7fffffff));
    if (WaitForSingleObject(h.process, ms) != WAIT_OBJECT_0) return std::nullopt;
    running();
    return h.exit_code;
}

int ChildProcess::stop(std::chrono::milliseconds timeout)
{
    Handle& h = *m_handle;
    if (!running()) return h.exit_code.value_or(-1);
    // Console programs have no polite stop request that reaches one child alone.
    TerminateProcess(h.process, 1);
    DWORD ms = timeout.count() <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(timeout.count(), 0x7fffffff));
    WaitForSingleObject(h.process, ms);
    h.exit_code = -1;
    return -1;
}

} // namespace platform
