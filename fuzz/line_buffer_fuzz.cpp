// Arbitrary bytes as a capture file or hidden-profile list: decoding, line
// splitting and profile parsing must never crash, and whatever was read must
// be written back so that it reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "main/line_buffer.h"
#include "main/wlan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velnor::LineBuffer buffer;
    buffer.LoadFromBytes(bytes);
    std::wstring name;
    for (const auto& line : buffer.Lines()) {
        if (line.find(L'\r') != std::wstring::npos || line.find(L'\n') != std::wstring::npos) std::abort();
        if (velnor::ParseProfileLine(line, &name) && name.size() > line.size()) std::abort();
    }
    velnor::LineBuffer again;
    again.LoadFromBytes(buffer.ToBytes());
    if (again.Lines() != buffer.Lines()) std::abort();
    return 0;
}
