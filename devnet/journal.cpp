#include "devnet/journal.h"

#include <sstream>

#include "core/json_get.h"
#include "platform/atomic_file.h"

namespace devnet {

namespace {

std::optional<JournalEvent> parse_event(const std::string& line)
{
    auto doc = core::parse_json(line);
    if (!doc || !doc->is_object()) return std::nullopt;
    JournalEvent event;
    std::string kind = core::json_string(*doc, "e");
    event.time = core::json_int64(*doc, "t");
    if (kind == "block") {
        event.kind = JournalEvent::Kind::block;
        return event;
    }
    if (kind == "seed") {
        event.kind = JournalEvent::Kind::seed;
        event.txid = core::json_string(*doc, "txid");
        int64_t vout = core::json_int64(*doc, "vout", -1);
        int64_t value = core::json_int64(*doc, "value", -1);
        event.hex = core::json_string(*doc, "script");
        if (event.txid.size() != 64 || vout < 0 || vout > UINT32_MAX || value < 0) return std::nullopt;
        event.vout = static_cast<uint32_t>(vout);
        event.value = static_cast<uint64_t>(value);
        return event;
    }
    if (kind != "tx") return std::nullopt;
    event.kind = JournalEvent::Kind::tx;
    event.hex = core::json_string(*doc, "hex");
    event.trusted = core::json_bool_opt(*doc, "trusted").value_or(false);
    if (event.hex.empty()) return std::nullopt;
    return event;
}

std::string format_event(const JournalEvent& event)
{
    core::Json doc = core::Json::object();
    doc["t"] = event.time;
    if (event.kind == JournalEvent::Kind::block) {
        doc["e"] = "block";
    } else if (event.kind == JournalEvent::Kind::seed) {
        doc["e"] = "seed";
        doc["txid"] = event.txid;
        doc["vout"] = event.vout;
        doc["value"] = event.value;
        doc["script"] = event.hex;
    } else {
        doc["e"] = "tx";
        doc["hex"] = event.hex;
        if (event.trusted) doc["trusted"] = true;
    }
    return core::json_dump_compact(doc) + "\n";
}

} // namespace

std::optional<std::vector<JournalEvent>> Journal::open(const std::filesystem::path& path, std::string& error)
{
    std::vector<JournalEvent> events;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            error = "cannot read " + path.string();
            return std::nullopt;
        }
        std::ostringstream all;
        all << in.rdbuf();
        std::string text = all.str();
        size_t pos = 0;
        size_t good_end = 0;
        while (pos < text.size()) {
            size_t nl = text.find('\n', pos);
            bool last = nl == std::string::npos;
            std::string line = text.substr(pos, last ? std::string::npos : nl - pos);
            auto event = last ? std::nullopt : parse_event(line);
            if (!event) {
                if (last || nl + 1 >= text.size()) break;  // torn tail: drop it
                error = "the journal " + path.string() + " has a malformed line";
                return std::nullopt;
            }
            events.push_back(std::move(*event));
            pos = nl + 1;
            good_end = pos;
        }
        if (good_end != text.size()) {
            if (!platform::write_file_atomic(path, std::string_view(text).substr(0, good_end))) {
                error = "cannot repair " + path.string();
                return std::nullopt;
            }
        }
    }
    m_out.open(path, std::ios::binary | std::ios::app);
    if (!m_out) {
        error = "cannot write " + path.string();
        return std::nullopt;
    }
    return events;
}

bool Journal::append(const JournalEvent& event)
{
    std::string line = format_event(event);
    std::lock_guard lock(m_mutex);
    m_out.write(line.data(), static_cast<std::streamsize>(line.size()));
    m_out.flush();
    return static_cast<bool>(m_out);
}

} // namespace devnet
