// ClTreeLoad on arbitrary bytes. The first input byte picks the load options and the second
// the spare count; the rest is the image. A tree that loads must save and load again to the
// same tree, so that a package or uninstall data file written from it reads back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/file_io.h"
#include "base/platform.h"
#include "fuzz/scratch_file.h"
#include "tree/tree.h"
#include "tree/tree_file.h"
#include "tree/tree_owner.h"

namespace {

// The whole tree as an image with names and data, read back from its file.
std::string SaveImage(HANDLE file, ClTree* tree) {
    ClearScratchFile(file);
    std::uint64_t size = 0;
    if (!ClTreeSave(file, tree, nullptr, CLT_NAMES | CLT_DATA) || !GetFilePosition(file, &size) ||
        !SetFilePosition(file, 0))
        std::abort();
    std::string image(size, '\0');
    if (!ReadFileAll(file, &image[0], static_cast<std::uint32_t>(size)))
        std::abort();
    return image;
}

// Loads the image into a fresh tree (its first record as the root) and saves that tree.
std::string Reload(HANDLE input, HANDLE output, const std::string& image) {
    FillScratchFile(input, image.data(), image.size());
    ClTreeOwner tree(ClTreeCreate());
    if (!ClTreeLoad(input, tree.get(), nullptr, CLT_LOAD_REPLACE_ROOT, 0))
        std::abort();
    return SaveImage(output, tree.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    static const ClTempFile inputFile = OpenScratchFile();
    static const ClTempFile outputFile = OpenScratchFile();
    const HANDLE input = inputFile.handle(), output = outputFile.handle();
    const std::uint8_t options = data[0] & (CLT_MAGIC | CLT_LOAD_SPARE | CLT_LOAD_REPLACE_ROOT);
    const std::uint32_t spare = data[1];
    const bool underKey = (data[0] & 0x80) != 0;

    FillScratchFile(input, data + 2, size - 2);
    ClTreeOwner owner(ClTreeCreate());
    ClTree* tree = owner.get();
    ClTreeNode* parent = nullptr;
    if (underKey) {
        ClTreeNodeInfo key{};
        key.flags = TN_KEY | TN_NAMED | TN_LINKED;
        key.name = "P";
        key.parent = ClTreeRoot(tree);
        parent = ClTreeAddNode(tree, &key);
    }
    int loaded = ClTreeLoad(input, tree, parent, options, spare);

    // Spare slots change lengths and flags on the way back; the round trip is only exact
    // without them. The first reload may still differ in TN_LINKED of top-level keys (only
    // the root carries it, and which key is first can change), never in size; from then on
    // the image must be a fixed point.
    if (loaded && !(options & CLT_LOAD_SPARE)) {
        std::string first = SaveImage(output, tree);
        std::string second = Reload(input, output, first);
        if (second.size() != first.size() || Reload(input, output, second) != second)
            std::abort();
    }
    return 0;
}
