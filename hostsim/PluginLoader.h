#pragma once
// Loading a plug-in bundle and sending it the host's messages.
//
// Bundle layout: a bundle is a folder NAME.bundle (any folder name works;
// a trailing ".bundle" is dropped to get NAME) that holds the plug-in's
// shared library directly as <bundle>/NAME.so, exporting the entry point
// FMExternCallProc, and its resources under <bundle>/Resources/ (for example
// Resources/en.lproj/SKRWStrings.strings). So build/SKRW.bundle holds
// build/SKRW.bundle/SKRW.so.
//
// Every message is sent with a fresh call record: zeroed, the interface
// version of the last start-up (57 before any), the selector, the bundle
// reference (a platform::BundleRecord with the bundle's absolute folder path,
// alive as long as the loader) and the message's parameters.
//
// Loading starts a fresh host: the registry (hostsim/Registry.h) is cleared.
// Unloading (destruction) empties the registry's active table, since the
// callbacks go away with the library; the log stays readable.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fmx/CallRecord.h"
#include "platform/Bundle.h"

namespace skrw::hostsim {

class LoadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What a get-string message brought back.
struct GetStringReply {
    std::int64_t resultField = 0;  // the record's result field after the call
    std::vector<char16_t> buffer;  // the whole buffer, `capacity` units
    std::u16string text;           // the buffer up to its first zero unit
};

class PluginLoader {
  public:
    // Loads the bundle; throws LoadError with a message that says what is
    // wrong (no such folder, no library, library cannot be loaded, no entry
    // point).
    explicit PluginLoader(const std::string& bundlePath);
    ~PluginLoader();
    PluginLoader(const PluginLoader&) = delete;
    PluginLoader& operator=(const PluginLoader&) = delete;

    // <bundle>/NAME.so for a bundle folder path.
    static std::string libraryPathFor(const std::string& bundleFolder);

    // The absolute bundle folder path handed to the plug-in.
    const std::string& bundleFolder() const { return m_folder; }

    // Start-up with `interfaceVersion`; answers the record's result field
    // (the plug-in's answer; 0 when it wrote none).
    std::int64_t startup(std::int16_t interfaceVersion);
    // Shut-down.
    void shutdown();
    // Get-string for `id` with a buffer of `capacity` units, each set to
    // `fill` beforehand; capacity 0 or less passes a null buffer.
    GetStringReply getString(std::uint8_t id, std::int32_t capacity, char16_t fill = 0,
                             std::uint64_t secondParameter = 0);
    // Any message: the loader sets the bundle reference, the caller the rest.
    void send(fmx::CallRecord& record);

  private:
    fmx::CallRecord freshRecord(std::uint8_t selector) const;

    std::string m_folder;
    platform::BundleRecord m_bundle;
    void* m_library = nullptr;
    FMExternCallProcPtr m_entry = nullptr;
    std::int16_t m_version = 57;
};

}  // namespace skrw::hostsim
