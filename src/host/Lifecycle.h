#pragma once
// The plug-in's global objects: the one SKFuncs instance (m_objFuncs) and the
// diagnostic logger (m_pl), both defined with the script functions.
//
// Running state: m_objFuncs holds the instance from an accepted start-up to
// the shut-down; m_pl is null unless the log was switched on in between.

// Writes "About to init SKFuncs" to the console, creates the SKFuncs instance
// (which starts the storage SDK) into m_objFuncs, writes "Got to this point!"
// and sets m_pl to null. An instance or logger left from an earlier start-up
// is deleted first, so a second start-up neither leaks nor starts the SDK
// twice for one instance. When the instance cannot be made the failure passes
// to the caller and m_objFuncs stays null.
void PluginInit();

// Deletes the SKFuncs instance (which shuts the storage SDK down), then the
// logger, if either exists, and leaves both globals null. Never throws.
void PluginShutdown() noexcept;
