#pragma once

namespace Aws {

// Options for InitAPI/ShutdownAPI. Default-constructed options are all the
// layer needs: its own logging is always off.
struct SDKOptions {};

// Initialises the HTTP stack (libcurl) for the process. Calls are counted:
// every InitAPI must be matched by one ShutdownAPI, and only the first call
// initialises and only the last ShutdownAPI cleans up. Not thread-safe against
// concurrent Init/Shutdown; call it from one thread before any S3Client exists.
void InitAPI(const SDKOptions& options);
void ShutdownAPI(const SDKOptions& options);

}  // namespace Aws
