// Extraction of the bound package into the run's working folder.
#pragma once

#include "app/RunState.h"

namespace lorent {

// Makes the run's working folder under the staging folder, writes every bound
// file, runs the checks and the folder choice the package asks for, and
// expands the cabinet. Returns false only when the staging folder's volume
// lacks free space; the worker context's run and proceed flags say what the
// run does next.
//
// A package that is damaged (its table or data run past the end of the file)
// or that names a file or group unsafely (see CheckName) is treated as no
// package at all: nothing is written and no working folder is made.
bool ExtractPackage(CWorkerContext* context, bool showUI);

}  // namespace lorent
