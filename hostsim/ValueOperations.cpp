// The FM_* operations on arguments, numbers, results, locales and
// four-character codes.
#include "hostsim/HostObjects.h"
#include "hostsim/Numbers.h"
#include "hostsim/OperationGuard.h"

using namespace skrw::hostsim;

namespace {

const HostArgument& argumentAt(const fmx::DataVect* vect, std::uint32_t index) {
    require(vect != nullptr);
    const auto& items = host(vect)->items;
    require(index < items.size());
    return items[index];
}

}  // namespace

extern "C" {

std::uint32_t FM_DataVect_Size(const fmx::DataVect* vect, FM_ErrorSlot* err) {
    return guarded<std::uint32_t>(err, 0, [&] {
        require(vect != nullptr);
        return static_cast<std::uint32_t>(host(vect)->items.size());
    });
}

const fmx::Text* FM_DataVect_AtAsText(const fmx::DataVect* vect, std::uint32_t index,
                                      FM_ErrorSlot* err) {
    return guarded<const fmx::Text*>(err, nullptr,
                                     [&] { return opaque(&argumentAt(vect, index).text); });
}

const fmx::FixPt* FM_DataVect_AtAsNumber(const fmx::DataVect* vect, std::uint32_t index,
                                         FM_ErrorSlot* err) {
    return guarded<const fmx::FixPt*>(err, nullptr,
                                      [&] { return opaque(&argumentAt(vect, index).number); });
}

std::int64_t FM_FixPt_AsLong(const fmx::FixPt* number, FM_ErrorSlot* err) {
    return guarded<std::int64_t>(err, 0, [&] {
        require(number != nullptr);
        return numberAsLong(host(number)->value);
    });
}

const fmx::Locale* FM_Data_GetLocale(const fmx::Data* data, FM_ErrorSlot* err) {
    return guarded<const fmx::Locale*>(err, nullptr, [&] {
        require(data != nullptr);
        return opaque(&host(data)->locale);
    });
}

void FM_Data_SetAsText(fmx::Data* data, const fmx::Text* text, const fmx::Locale* locale,
                       std::int32_t dataType, FM_ErrorSlot* err) {
    guardedVoid(err, [&] {
        require(data != nullptr && text != nullptr && locale != nullptr);
        require(dataType == kTextDataType);
        HostData* d = host(data);
        HostText copy = *host(text);  // before any change: the text may be d's own
        d->locale.type = host(locale)->type;
        d->text = std::move(copy);
        d->dataType = dataType;
        d->set = true;
    });
}

fmx::Locale* FM_Locale_Constructor1(std::int32_t localeType, FM_ErrorSlot* err) {
    return guarded<fmx::Locale*>(err, nullptr, [&] { return opaque(new HostLocale{localeType}); });
}

void FM_Locale_Delete(fmx::Locale* locale, FM_ErrorSlot* err) {
    guardedVoid(err, [&] { delete host(locale); });
}

fmx::QuadChar* FM_QuadChar_Constructor2(char c0, char c1, char c2, char c3, FM_ErrorSlot* err) {
    return guarded<fmx::QuadChar*>(err, nullptr, [&] {
        return opaque(new HostQuadChar{{c0, c1, c2, c3}});
    });
}

void FM_QuadChar_Delete(fmx::QuadChar* code, FM_ErrorSlot* err) {
    guardedVoid(err, [&] { delete host(code); });
}

}  // extern "C"
