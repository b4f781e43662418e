#pragma once
// The frame every script function runs in: the firewall at the host boundary, the argument-count
// check, the reading of text arguments and the two ways of setting a result.
//
// Contract:
// - answeredGuarded runs a body and turns every exception that tries to leave it into the host
//   error code of the call (hostCodeOfCurrentException, HostErrorCode.h);
//   a body that returns normally answers 0. Nothing escapes.
// - runScriptFunction and runStorageFunction follow the calling order of a registered
//   function: take the result text, read the argument count, check it against the function's
//   entry in the function table, then hand over to the body. A refused count is answered
//   "!!ERROR!!" with the result's own locale and nothing else happens.
// - Helpers that take a host object let host framework failures pass to their caller.
#include <cstdint>

#include "fmx/fmx.h"
#include "functions/HostErrorCode.h"
#include "platform/String.h"
#include "storage/SKFuncs.h"

namespace skrw::functions {

using skrw::storage::kErrorAnswer;
inline constexpr const char* kDoneAnswer = "0";

template <typename Body>
short answeredGuarded(Body&& body) noexcept {
    try {
        body();
        return 0;
    } catch (...) {
        return hostCodeOfCurrentException();
    }
}

// True when `count` lies within [least, most] (compared as unsigned numbers).
[[nodiscard]] bool countWithin(std::uint32_t count, short least, short most);
// True when `count` lies within the bounds the function table gives `functionId`.
[[nodiscard]] bool countAccepted(std::uint32_t count, short functionId);

// The count-failure answer: "!!ERROR!!" assigned to `text` with encoding code 0 and set with
// the result's own locale.
void answerCountFailure(fmx::Text& text, fmx::Data& result);

// Argument `index` as a platform string: null when `count` does not cover it, the empty string
// for an empty argument, otherwise exactly its UTF-16 units (unpaired surrogates become U+FFFD).
platform::String textArgument(const fmx::DataVect& args, std::uint32_t count, std::uint32_t index);

// Sets `answer` through `text` as a zero-terminated UTF-16 text with the result's own locale.
void returnUtf16Result(const platform::String& answer, fmx::Text& text, fmx::Data& result);

// The 8-bit answer of a platform string (its UTF-8 bytes up to the first NUL).
void returnStringAnswer(const platform::String& answer, fmx::Data& result);

// "0" for true, "!!ERROR!!" for false, by the 8-bit path.
void returnSucceeded(bool succeeded, fmx::Data& result);

// The frame of a registered function. `body(count, resultText)` runs once the count is accepted.
template <typename Body>
short runScriptFunction(short functionId, const fmx::DataVect& args, fmx::Data& result,
                        Body&& body) noexcept {
    return answeredGuarded([&] {
        fmx::TextAutoPtr text;
        const std::uint32_t count = args.Size();
        if (!countAccepted(count, functionId)) {
            answerCountFailure(*text, result);
            return;
        }
        body(count, *text);
    });
}

// The storage object in m_objFuncs, or null.
SKFuncs* storageObject() noexcept;

// The frame of a registered function that calls the storage object. `body(storage, count)`
// runs once the count is accepted. Without a storage object (the host has not started the
// plug-in or has shut it down) the answer is "!!ERROR!!" and nothing is read.
template <typename Body>
short runStorageFunction(short functionId, const fmx::DataVect& args, fmx::Data& result,
                         Body&& body) noexcept {
    return runScriptFunction(functionId, args, result, [&](std::uint32_t count, fmx::Text&) {
        SKFuncs* storage = storageObject();
        if (storage == nullptr) {
            returnSucceeded(false, result);
            return;
        }
        body(*storage, count);
    });
}

}  // namespace skrw::functions
