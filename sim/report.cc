#include "sim/report.h"

#include <cstdio>

#include "config/image.h"
#include "config/stream.h"
#include "language/render.h"
#include "sim/text.h"
#include "vorlanex/requests.h"

namespace vorlanex::sim {

namespace {

std::string hex_dump(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        text += hex(bytes.subspan(at, std::min<std::size_t>(16, bytes.size() - at)), " ");
        text += '\n';
    }
    return text;
}

std::string indented(const std::string& text) {
    std::string out;
    bool line_start = true;
    for (const char c : text) {
        if (line_start) out += "    ";
        out += c;
        line_start = c == '\n';
    }
    if (!line_start) out += '\n';
    return out;
}

std::string device(const Received& received) {
    std::string name(face_name(received.face));
    if (received.serial) name += " " + *received.serial;
    return name + ": ";
}

// The bytes up to the first 0 byte, as text.
std::string text_of(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte == 0) break;
        text += static_cast<char>(byte);
    }
    return text;
}

bool is_flash_write(const Received& received) {
    return received.face == Face::Bootloader && received.request == USBASP_WRITEFLASH;
}

std::size_t flash_offset(const Received& received) {
    return received.value | static_cast<std::size_t>(received.index) << 16;
}

// The run of flash writes that starts at `first`; returns the index after it.
std::size_t summarize_flash_writes(const Journal& journal, std::size_t first, std::string& out) {
    std::size_t end = first;
    std::size_t bytes = 0;
    std::size_t low = flash_offset(journal[first]);
    std::size_t high = low;
    while (end < journal.size() && is_flash_write(journal[end]) &&
           journal[end].serial == journal[first].serial) {
        const std::size_t offset = flash_offset(journal[end]);
        low = std::min(low, offset);
        high = std::max(high, offset + journal[end].data.size());
        bytes += journal[end].data.size();
        ++end;
    }
    out += device(journal[first]) +
           printed("wrote flash (request 6): %zu blocks, %zu bytes, from 0x%06zx to 0x%06zx\n",
                   end - first, bytes, low, high);
    return end;
}

std::string describe_request(const Received& r) {
    const std::string who = device(r);
    if (r.face == Face::Bootloader) {
        switch (r.request) {
            case USBASP_CONNECT:
                return who + "connect (request 1)\n";
            case USBASP_DISCONNECT:
                return who + "disconnect and start the firmware (request 2)\n";
            default:
                break;
        }
    } else {
        switch (r.request) {
            case REQUEST_RUN:
                return who +
                       printed("run commands (request 0), %u ms between them, %zu bytes:\n",
                               r.value, r.data.size()) +
                       indented(describe_image(r.data));
            case REQUEST_IDENTIFY:
                return who + "identify (request 2), answered \"" + text_of(r.data) + "\"\n";
            case REQUEST_CONFIGURE:
                if (r.data == std::vector<std::uint8_t>{0, 0}) {
                    return who + "deactivate the configuration and restart (request 3)\n";
                }
                return who +
                       printed("store the configuration (request 3), %zu bytes:\n", r.data.size()) +
                       indented(describe_image(r.data));
            case REQUEST_BOOTLOADER:
                return who + "restart into the bootloader (request 4)\n";
            case REQUEST_RESET:
                return who + "restart (request 7)\n";
            default:
                break;
        }
    }
    return who + printed("request %u, value %u, index %u, data: ", r.request, r.value, r.index) +
           hex(r.data, " ") + "\n";
}

}  // namespace

std::string log_line(const Received& r) {
    const std::string data = r.data.empty() ? "-" : hex(r.data);
    return std::string(face_name(r.face)) + " " + r.serial.value_or("-") +
           printed(" %u %u %u ", r.request, r.value, r.index) + data;
}

std::string describe_image(std::span<const std::uint8_t> bytes) {
    Config config;
    InputStream in(bytes);
    std::string text;
    Messages messages;  // a broken image is shown as its bytes instead
    if (Config_read(config, in, messages) == ReadResult::Image &&
        Config_print(config, text, messages)) {
        return text;
    }
    return hex_dump(bytes);
}

std::string summarize(const Journal& journal) {
    if (journal.empty()) return "vorlanex-sim: the controller received no request\n";
    std::string out = "vorlanex-sim: the controller received:\n";
    for (std::size_t i = 0; i < journal.size();) {
        if (is_flash_write(journal[i])) {
            i = summarize_flash_writes(journal, i, out);
        } else {
            out += describe_request(journal[i++]);
        }
    }
    return out;
}

}  // namespace vorlanex::sim
