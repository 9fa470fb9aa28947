#pragma once

#include <string>

namespace velmora {

class COMMON_DATA;

// After "Save as" into another folder: copies every file the now open project names (picture,
// map, popups, overlays, sounds) from the working folders beside oldFolder into its own
// working folders when missing there. An existing file with other content asks before it is
// replaced; Cancel stops the copying. Missing sources are left for the export to report.
void CopyProjectFiles(COMMON_DATA& data, const std::string& oldFolder);

}  // namespace velmora
