// The FM_Text_* operations and the text constructor / deleter.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "hostsim/Encoding.h"
#include "hostsim/HostObjects.h"
#include "hostsim/OperationGuard.h"

using namespace skrw::hostsim;

namespace {

// The count cut at the end of a text of `size` units from `position`
// (position <= size is checked by the caller).
std::size_t cutCount(std::size_t size, std::uint32_t position, std::uint32_t count) {
    return std::min<std::size_t>(count, size - position);
}

}  // namespace

extern "C" {

fmx::Text* FM_Text_Constructor1(FM_ErrorSlot* err) {
    return guarded<fmx::Text*>(err, nullptr, [] { return opaque(new HostText()); });
}

void FM_Text_Delete(fmx::Text* text, FM_ErrorSlot* err) {
    guardedVoid(err, [&] { delete host(text); });
}

void FM_Text_Assign(fmx::Text* text, const char* bytes, std::int32_t encoding, FM_ErrorSlot* err) {
    guardedVoid(err, [&] {
        require(text != nullptr && bytes != nullptr && isKnownEncoding(encoding));
        HostText* t = host(text);
        t->units = decodeBytes(std::string_view(bytes), encoding);
        t->origin = TextOrigin::EightBit;
    });
}

void FM_Text_AssignUnicode(fmx::Text* text, const char16_t* units, FM_ErrorSlot* err) {
    guardedVoid(err, [&] {
        require(text != nullptr && units != nullptr);
        HostText* t = host(text);
        t->units = units;  // zero-terminated
        t->origin = TextOrigin::Utf16;
    });
}

std::uint32_t FM_Text_GetSize(const fmx::Text* text, FM_ErrorSlot* err) {
    return guarded<std::uint32_t>(err, 0, [&] {
        require(text != nullptr);
        return static_cast<std::uint32_t>(host(text)->units.size());
    });
}

void FM_Text_GetUnicode(const fmx::Text* text, char16_t* buffer, std::uint32_t position,
                        std::uint32_t count, FM_ErrorSlot* err) {
    guardedVoid(err, [&] {
        require(text != nullptr);
        const std::u16string& units = host(text)->units;
        require(position <= units.size() && count <= units.size() - position);
        require(buffer != nullptr || count == 0);
        std::copy_n(units.data() + position, count, buffer);
    });
}

std::uint32_t FM_Text_GetBytes(const fmx::Text* text, char* buffer, std::uint32_t bufferSize,
                               std::uint32_t position, std::uint32_t count, std::int32_t encoding,
                               FM_ErrorSlot* err) {
    return guarded<std::uint32_t>(err, 0, [&]() -> std::uint32_t {
        require(text != nullptr && isKnownEncoding(encoding));
        require(buffer != nullptr || bufferSize == 0);
        const std::u16string& units = host(text)->units;
        require(position <= units.size());
        if (bufferSize == 0) return 0;
        const std::u16string_view stretch(units.data() + position,
                                          cutCount(units.size(), position, count));
        const std::string bytes = encodeUnits(stretch, encoding, bufferSize - 1);
        std::memcpy(buffer, bytes.data(), bytes.size());
        buffer[bytes.size()] = '\0';
        return static_cast<std::uint32_t>(bytes.size());
    });
}

void FM_Text_SetText(fmx::Text* target, const fmx::Text* source, std::uint32_t position,
                     std::uint32_t count, FM_ErrorSlot* err) {
    guardedVoid(err, [&] {
        require(target != nullptr && source != nullptr);
        const HostText* s = host(source);
        require(position <= s->units.size());
        // Built first: the source may be the target itself.
        HostText copy{s->units.substr(position, cutCount(s->units.size(), position, count)),
                      s->origin};
        *host(target) = std::move(copy);
    });
}

std::int32_t FM_Text_Find(const fmx::Text* text, const fmx::Text* pattern, std::uint32_t start,
                          FM_ErrorSlot* err) {
    return guarded<std::int32_t>(err, -1, [&]() -> std::int32_t {
        require(text != nullptr && pattern != nullptr);
        const std::u16string& units = host(text)->units;
        if (start > units.size()) return -1;
        const std::size_t at = units.find(host(pattern)->units, start);
        if (at == std::u16string::npos || at > std::numeric_limits<std::int32_t>::max()) {
            return -1;
        }
        return static_cast<std::int32_t>(at);
    });
}

void FM_Text_DeleteText(fmx::Text* text, std::uint32_t position, std::uint32_t count,
                        FM_ErrorSlot* err) {
    guardedVoid(err, [&] {
        require(text != nullptr);
        std::u16string& units = host(text)->units;
        require(position <= units.size());
        units.erase(position, cutCount(units.size(), position, count));
    });
}

}  // extern "C"
