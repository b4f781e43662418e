#include "hostsim/PluginLoader.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "hostsim/Registry.h"

namespace skrw::hostsim {
namespace {

namespace fs = std::filesystem;

std::string absoluteFolder(const std::string& bundlePath) {
    std::error_code ec;
    const fs::path canonical = fs::canonical(fs::path(bundlePath), ec);
    if (ec) throw LoadError("cannot load bundle " + bundlePath + ": " + ec.message());
    if (!fs::is_directory(canonical, ec)) {
        throw LoadError("cannot load bundle " + bundlePath + ": not a folder");
    }
    return canonical.string();
}

}  // namespace

std::string PluginLoader::libraryPathFor(const std::string& bundleFolder) {
    fs::path folder(bundleFolder);
    if (!folder.has_filename()) folder = folder.parent_path();
    std::string name = folder.filename().string();
    const std::string suffix = ".bundle";
    if (name.size() > suffix.size() && name.ends_with(suffix)) {
        name.resize(name.size() - suffix.size());
    }
    return (folder / (name + ".so")).string();
}

PluginLoader::PluginLoader(const std::string& bundlePath) : m_folder(absoluteFolder(bundlePath)) {
    const std::string library = libraryPathFor(m_folder);
    std::error_code ec;
    if (!fs::is_regular_file(library, ec)) {
        throw LoadError("cannot load bundle " + bundlePath + ": no plug-in library " + library);
    }
    m_library = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_library == nullptr) {
        const char* why = dlerror();
        throw LoadError("cannot load bundle " + bundlePath + ": " +
                        (why != nullptr ? why : "the library cannot be loaded"));
    }
    void* entry = dlsym(m_library, "FMExternCallProc");
    if (entry == nullptr) {
        dlclose(m_library);
        throw LoadError("cannot load bundle " + bundlePath + ": " + library +
                        " has no entry point FMExternCallProc");
    }
    m_entry = reinterpret_cast<FMExternCallProcPtr>(entry);
    m_bundle.folderPath = m_folder.c_str();
    Registry::instance().clear();
}

PluginLoader::~PluginLoader() {
    Registry::instance().deactivateAll();
    dlclose(m_library);
}

fmx::CallRecord PluginLoader::freshRecord(std::uint8_t selector) const {
    fmx::CallRecord record;
    std::memset(&record, 0, sizeof record);
    record.interfaceVersion = m_version;
    record.selector = selector;
    return record;
}

void PluginLoader::send(fmx::CallRecord& record) {
    record.bundle = &m_bundle;
    m_entry(&record);
}

std::int64_t PluginLoader::startup(std::int16_t interfaceVersion) {
    m_version = interfaceVersion;
    fmx::CallRecord record = freshRecord(fmx::CallRecord::kStartup);
    send(record);
    return record.result;
}

void PluginLoader::shutdown() {
    fmx::CallRecord record = freshRecord(fmx::CallRecord::kShutdown);
    send(record);
}

GetStringReply PluginLoader::getString(std::uint8_t id, std::int32_t capacity, char16_t fill,
                                       std::uint64_t secondParameter) {
    GetStringReply reply;
    reply.buffer.assign(capacity > 0 ? static_cast<std::size_t>(capacity) : 0, fill);
    char16_t* buffer = reply.buffer.empty() ? nullptr : reply.buffer.data();
    fmx::CallRecord record = freshRecord(fmx::CallRecord::kGetString);
    record.param1 = id;
    record.param2 = secondParameter;
    record.param3 = static_cast<std::uint32_t>(capacity);
    record.result = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(buffer));
    send(record);
    reply.resultField = record.result;
    for (const char16_t unit : reply.buffer) {
        if (unit == 0) break;
        reply.text.push_back(unit);
    }
    return reply;
}

}  // namespace skrw::hostsim
