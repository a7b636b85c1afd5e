#include "platform/atomic_file.h"

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "platform/wide_text_windows.h"

#include <aclapi.h>

namespace platform {

namespace {

bool write_all(HANDLE file, std::string_view content)
{
    const char* p = content.data();
    size_t left = content.size();
    while (left > 0) {
        DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        left -= written;
    }
    return true;
}

// The SID of the user this process runs as, copied out of the process token.
std::vector<unsigned char> current_user_sid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> info(size);
    std::vector<unsigned char> sid;
    if (size > 0 && GetTokenInformation(token, TokenUser, info.data(), size, &size)) {
        PSID user = reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid;
        DWORD length = GetLengthSid(user);
        sid.resize(length);
        if (!CopySid(length, sid.data(), user)) sid.clear();
    }
    CloseHandle(token);
    return sid;
}

// ".tmp-" and 16 random hexadecimal digits.
std::wstring temp_suffix()
{
    static thread_local std::mt19937_64 generator{std::random_device{}() ^
                                               (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^
                                               static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    wchar_t text[24];
    std::swprintf(text, 24, L".tmp-%016llx", static_cast<unsigned long long>(generator()));
    return text;
}

} // namespace

bool make_owner_only(const std::filesystem::path& path)
{
    std::vector<unsigned char> sid = current_user_sid();
    if (sid.empty()) return false;
    PSID user = reinterpret_cast<PSID>(sid.data());

    // One entry: full control for the owner. The DACL is protected so that nothing is inherited
    // from the folder.
    DWORD acl_size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(user);
    std::vector<unsigned char> acl_buffer(acl_size);
    PACL acl = reinterpret_cast<PACL>(acl_buffer.data());
    if (!InitializeAcl(acl, acl_size, ACL_REVISION)) return false;
    if (!AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user)) return false;

    std::wstring name = path.wstring();
    DWORD rc = SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                     DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, acl, nullptr);
    return rc == ERROR_SUCCESS;
}

bool write_file_atomic(const std::filesystem::path& path, std::string_view content, FileAccess access)
{
    std::filesystem::path tmp;
    HANDLE file = INVALID_HANDLE_VALUE;
    // A fresh name each time, created exclusively: an existing file or link of that name is a
    // reason to pick another, never to write through it.
    for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
        tmp = path;
        tmp += temp_suffix();
        file = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = write_all(file, content) && FlushFileBuffers(file) != 0;
    ok = CloseHandle(file) != 0 && ok;
    // The permissions are set before the rename so the final name never carries open ones.
    if (ok && access == FileAccess::OwnerOnly) ok = make_owner_only(tmp);
    if (ok && replace_file(tmp, path)) return true;
    DeleteFileW(tmp.c_str());
    return false;
}

bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to)
{
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace platform
