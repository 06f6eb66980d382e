#pragma once
// Splits plain work over the records of a history (reading and correcting
// up to 800 measurement files, the points of a total) across the processor's
// cores, on worker threads kept for a moment between calls. The caller runs
// slices too and waits until every slice is done, so to the rest of the
// program the work is one call on the user-interface thread. Calls made at
// once from several threads (a slice among them) share the workers.
#include <functional>

// Runs body(begin, end) over slices that cover [0, n) once, on up to
// MaxWorkers threads (the calling thread among them). Slices are at least
// `minSlice` long; small work runs on the calling thread alone. The body
// must only touch its own slice and read shared data; it must not touch a
// widget. The first exception a slice throws is thrown again here, after
// every slice has ended.
void ParallelSlices(int n, int minSlice, const std::function<void(int begin, int end)>& body);

// Most threads ParallelSlices uses.
inline constexpr int MaxWorkers = 8;
