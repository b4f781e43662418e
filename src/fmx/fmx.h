#pragma once
// The host framework as the plug-in sees it: the `fmx` types and holders.
//
// Every type here is an opaque host object: the plug-in never creates one
// with `new` or on the stack; it receives references from the host (the
// arguments and the result of a script function) or owns one through a
// holder (TextUniquePtr, TextAutoPtr, LocaleUniquePtr, QuadCharUniquePtr).
//
// Every member calls one FM_* operation of "fmx/FMWrapperApi.h" with a fresh
// error slot {1, 0} and, afterwards, raises
//   fmx::OutOfMemory     when the host wrote code 1,
//   fmx::GeneralFailure  when the host wrote code 2 (or the operation is
//                        missing from the process),
// and treats every other code as success. Nothing here catches them: the code
// that the host calls (the entry point, every script function) must.
//
// Units: texts are UTF-16; sizes, positions and counts are in UTF-16 units.
//
// Typical use inside a script function:
//
//   short Echo(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
//       try {
//           fmx::TextAutoPtr text;
//           if (args.Size() > 0) text->SetText(args.AtAsText(0), 0, args.AtAsText(0).GetSize());
//           result.SetAsText(*text, result.GetLocale(), fmx::Data::kDataTypeText);
//           return 0;
//       } catch (const fmx::Exception& e) {
//           return e.code();
//       }
//   }
#include <cstdint>
#include <exception>
#include <type_traits>

#include "fmx/FMWrapperApi.h"

namespace fmx {

// ---- Failures raised from error slots ----
class __attribute__((visibility("default"))) Exception : public std::exception {
  public:
    // The host error code: 1 out of memory, 2 general failure.
    virtual short code() const noexcept = 0;
};

class __attribute__((visibility("default"))) OutOfMemory : public Exception {
  public:
    short code() const noexcept override { return 1; }
    const char* what() const noexcept override { return "host framework: out of memory"; }
};

class __attribute__((visibility("default"))) GeneralFailure : public Exception {
  public:
    short code() const noexcept override { return 2; }
    const char* what() const noexcept override { return "host framework: general failure"; }
};

namespace detail {

// Raises the failure of a filled error slot.
inline void raise(const FM_ErrorSlot& slot) {
    if (slot.code == 1) throw OutOfMemory();
    if (slot.code == 2) throw GeneralFailure();
}

// Calls `op` (an FM_* operation, possibly missing) with the arguments and a
// fresh error slot, then raises what the slot says.
template <typename R, typename... P, typename... A>
R call(R (*op)(P...), A... args) {
    if (op == nullptr) throw GeneralFailure();
    FM_ErrorSlot slot{1, 0};
    if constexpr (std::is_void_v<R>) {
        op(args..., &slot);
        raise(slot);
    } else {
        R answer = op(args..., &slot);
        raise(slot);
        return answer;
    }
}

// Calls a deleter; a failure is dropped (deleters run in destructors).
template <typename T>
void release(void (*op)(T*, FM_ErrorSlot*), T* object) noexcept {
    if (op == nullptr || object == nullptr) return;
    FM_ErrorSlot slot{1, 0};
    op(object, &slot);
}

}  // namespace detail

// ---- Texts ----
class Text {
  public:
    // Encoding codes of Assign and GetBytes (see FMWrapperApi.h).
    static constexpr std::int32_t kEncodingNative = 0;  // UTF-8 on this host
    static constexpr std::int32_t kEncodingUtf8 = 1;
    static constexpr std::int32_t kEncodingLatin1 = 4;
    // What Find answers when there is no occurrence.
    static constexpr std::int32_t kNotFound = -1;

    // Length in UTF-16 units.
    std::uint32_t GetSize() const { return detail::call(FM_Text_GetSize, this); }
    // Copies `count` units from `position` into `buffer`; adds no terminator.
    void GetUnicode(char16_t* buffer, std::uint32_t position, std::uint32_t count) const {
        detail::call(FM_Text_GetUnicode, this, buffer, position, count);
    }
    // Replaces the text by the zero-terminated 8-bit `bytes`.
    void Assign(const char* bytes, std::int32_t encoding = kEncodingNative) {
        detail::call(FM_Text_Assign, this, bytes, encoding);
    }
    // Replaces the text by the zero-terminated UTF-16 `units`.
    void AssignUnicode(const char16_t* units) { detail::call(FM_Text_AssignUnicode, this, units); }
    // The 8-bit form of the stretch, zero-terminated, at most `bufferSize`
    // bytes in all; answers the bytes written before the zero byte.
    std::uint32_t GetBytes(char* buffer, std::uint32_t bufferSize, std::uint32_t position,
                           std::uint32_t count, std::int32_t encoding = kEncodingNative) const {
        return detail::call(FM_Text_GetBytes, this, buffer, bufferSize, position, count, encoding);
    }
    // This text becomes the stretch (position, count) of `source`.
    void SetText(const Text& source, std::uint32_t position, std::uint32_t count) {
        detail::call(FM_Text_SetText, this, &source, position, count);
    }
    // First occurrence of `pattern` at or after `start`; kNotFound (-1) if none.
    std::int32_t Find(const Text& pattern, std::uint32_t start) const {
        return detail::call(FM_Text_Find, this, &pattern, start);
    }
    // Removes `count` units from `position` (count cut at the end).
    void DeleteText(std::uint32_t position, std::uint32_t count) {
        detail::call(FM_Text_DeleteText, this, position, count);
    }

    Text() = delete;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
};

// ---- Locales and four-character codes (no operations of their own) ----
class Locale {
  public:
    static constexpr std::int32_t kTypeCurrent = 1;  // the host's current locale

    Locale() = delete;
    Locale(const Locale&) = delete;
    Locale& operator=(const Locale&) = delete;
};

class QuadChar {
  public:
    QuadChar() = delete;
    QuadChar(const QuadChar&) = delete;
    QuadChar& operator=(const QuadChar&) = delete;
};

// ---- Numbers ----
class FixPt {
  public:
    // Truncated toward zero, saturating at the ends of the 64-bit range.
    std::int64_t AsLong() const { return detail::call(FM_FixPt_AsLong, this); }

    FixPt() = delete;
    FixPt(const FixPt&) = delete;
    FixPt& operator=(const FixPt&) = delete;
};

// ---- Results ----
class Data {
  public:
    static constexpr std::int32_t kDataTypeText = 1;

    // The value's own locale.
    const Locale& GetLocale() const { return *detail::call(FM_Data_GetLocale, this); }
    // The value takes a copy of `text` with the locale's type and `dataType`.
    void SetAsText(const Text& text, const Locale& locale, std::int32_t dataType) {
        detail::call(FM_Data_SetAsText, this, &text, &locale, dataType);
    }

    Data() = delete;
    Data(const Data&) = delete;
    Data& operator=(const Data&) = delete;
};

// ---- Arguments ----
class DataVect {
  public:
    std::uint32_t Size() const { return detail::call(FM_DataVect_Size, this); }
    // Argument `index` (from 0) as a text / a number; past the end raises
    // GeneralFailure. The objects stay the host's.
    const Text& AtAsText(std::uint32_t index) const {
        return *detail::call(FM_DataVect_AtAsText, this, index);
    }
    const FixPt& AtAsNumber(std::uint32_t index) const {
        return *detail::call(FM_DataVect_AtAsNumber, this, index);
    }

    DataVect() = delete;
    DataVect(const DataVect&) = delete;
    DataVect& operator=(const DataVect&) = delete;
};

// ---- Registration ----
class ExprEnv {
  public:
    // Each answers the host's error code (0 accepted).
    static std::int16_t RegisterExternalFunctionEx(const QuadChar& pluginId,
                                                   std::int16_t functionId, const Text& name,
                                                   const Text& prototype, const Text& description,
                                                   std::int16_t minArgs, std::int16_t maxArgs,
                                                   std::uint32_t flags, ExtPluginType callback) {
        return detail::call(FM_ExprEnv_RegisterExternalFunctionEx, &pluginId, functionId, &name,
                            &prototype, &description, minArgs, maxArgs, flags, callback);
    }
    static std::int16_t RegisterExternalFunction(const QuadChar& pluginId, std::int16_t functionId,
                                                 const Text& name, const Text& prototype,
                                                 std::int16_t minArgs, std::int16_t maxArgs,
                                                 std::uint32_t flags, ExtPluginType callback) {
        return detail::call(FM_ExprEnv_RegisterExternalFunction, &pluginId, functionId, &name,
                            &prototype, minArgs, maxArgs, flags, callback);
    }
    static std::int16_t RegisterScriptStep(const QuadChar& pluginId, std::int16_t stepId,
                                           const Text& name, const Text& definition,
                                           const Text& description, std::uint32_t flags,
                                           ExtPluginType callback) {
        return detail::call(FM_ExprEnv_RegisterScriptStep, &pluginId, stepId, &name, &definition,
                            &description, flags, callback);
    }
    static std::int16_t UnRegisterExternalFunction(const QuadChar& pluginId,
                                                   std::int16_t functionId) {
        return detail::call(FM_ExprEnv_UnRegisterExternalFunction, &pluginId, functionId);
    }
    static std::int16_t UnRegisterScriptStep(const QuadChar& pluginId, std::int16_t stepId) {
        return detail::call(FM_ExprEnv_UnRegisterScriptStep, &pluginId, stepId);
    }

    ExprEnv() = delete;
    ExprEnv(const ExprEnv&) = delete;
    ExprEnv& operator=(const ExprEnv&) = delete;
};

// ---- Owning holders ----
// A holder owns one host object from construction to destruction; it cannot
// be copied, only moved (a moved-from holder owns nothing). Construction
// raises OutOfMemory / GeneralFailure when the host cannot make the object.
// `Traits` names the deleter: `static void release(T*) noexcept`.
template <typename T, typename Traits>
class HostHolder {
  public:
    HostHolder(const HostHolder&) = delete;
    HostHolder& operator=(const HostHolder&) = delete;
    HostHolder(HostHolder&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    HostHolder& operator=(HostHolder&& other) noexcept {
        if (this != &other) {
            Traits::release(m_object);
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }
    ~HostHolder() { Traits::release(m_object); }

    T* get() const noexcept { return m_object; }
    T& operator*() const noexcept { return *m_object; }
    T* operator->() const noexcept { return m_object; }

  protected:
    explicit HostHolder(T* object) : m_object(object) {
        if (m_object == nullptr) throw OutOfMemory();
    }

  private:
    T* m_object;
};

namespace detail {
struct TextTraits {
    static void release(Text* text) noexcept { detail::release(FM_Text_Delete, text); }
};
struct LocaleTraits {
    static void release(Locale* locale) noexcept { detail::release(FM_Locale_Delete, locale); }
};
struct QuadCharTraits {
    static void release(QuadChar* code) noexcept { detail::release(FM_QuadChar_Delete, code); }
};
}  // namespace detail

// A new, empty host text.
class TextUniquePtr : public HostHolder<Text, detail::TextTraits> {
  public:
    TextUniquePtr() : HostHolder(detail::call(FM_Text_Constructor1)) {}
};

// The same as TextUniquePtr (kept as its own type: script functions hold
// their result text in one).
class TextAutoPtr : public HostHolder<Text, detail::TextTraits> {
  public:
    TextAutoPtr() : HostHolder(detail::call(FM_Text_Constructor1)) {}
};

// A new host locale of `localeType` (Locale::kTypeCurrent = 1).
class LocaleUniquePtr : public HostHolder<Locale, detail::LocaleTraits> {
  public:
    explicit LocaleUniquePtr(std::int32_t localeType = Locale::kTypeCurrent)
        : HostHolder(detail::call(FM_Locale_Constructor1, localeType)) {}
};

// A four-character code, e.g. QuadCharUniquePtr('S', 'K', 'R', 'W').
class QuadCharUniquePtr : public HostHolder<QuadChar, detail::QuadCharTraits> {
  public:
    QuadCharUniquePtr(char c0, char c1, char c2, char c3)
        : HostHolder(detail::call(FM_QuadChar_Constructor2, c0, c1, c2, c3)) {}
};

}  // namespace fmx
