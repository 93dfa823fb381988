#pragma once

// The process's peak resident memory so far (VmHWM), in megabytes; 0 where the system does not
// say. Used by tests and benchmarks alike.
namespace PeakMemory {

double megabytes();

} // namespace PeakMemory
