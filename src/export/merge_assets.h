#pragma once

#include <string>
#include <vector>

namespace velmora {

// The lines one input page gives to a merge: its image lines, each with the image map that
// follows it on an accessible page (no lines on a plain page), and its data script's object
// blocks, each block a run of lines from the opening backtick line to the closing one.
struct MergeInput {
    std::string path;
    std::vector<std::string> imageLines;
    std::vector<std::vector<std::string>> imageMaps;
    std::vector<std::vector<std::string>> blocks;
};

// Copies beside the merged page what a page from another folder uses: the pictures its image
// lines show (a web export's copies of its picture in VLM too), the files its data script names
// under "VLM/", and the runtime files. Nothing else of the page's folder is copied. A file whose
// name is already taken there by a different file is copied under a new name ("name-2.png",
// "name-3.png"...), and the lines are rewritten to name it. Names that are not bare file names are
// neither copied nor rewritten.
void BringUsedFiles(MergeInput& input, const std::string& mergedFolder);

}  // namespace velmora
