#pragma once
// The memory another process holds, for the tools that watch a program for hours.

namespace quellbox::tools {

// VmRSS of process `pid` in KiB, from /proc; 0 when it cannot be read (the process is gone).
long resident_kib(long pid);

}  // namespace quellbox::tools
