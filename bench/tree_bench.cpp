// Building, saving and loading trees the size of a package directory: a flat folder of n
// files, and a deep hierarchy (chains of 100 nested folders of 9 files each) of n nodes.
// Sibling lists are kept sorted by linear walks, so the flat folder is the hard case.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/platform.h"
#include "base/temp_file.h"
#include "tree/tree.h"
#include "tree/tree_file.h"

namespace {

constexpr int kChainDepth = 100;
constexpr int kFilesPerFolder = 9;

// File and folder records of the package's file tree: 59 and 8 data bytes.
std::uint8_t fileRecord[59] = {};
std::uint8_t folderRecord[8] = {};

ClTreeNode* Add(ClTree* tree, ClTreeNode* parent, bool key, const char* name) {
    ClTreeNodeInfo info{};
    info.flags = TN_NAMED | TN_DATA | TN_LINKED | (key ? TN_KEY : 0);
    info.parent = parent;
    info.name = name;
    info.data = key ? folderRecord : fileRecord;
    info.length = key ? sizeof folderRecord : sizeof fileRecord;
    return ClTreeAddNode(tree, &info);
}

// Files are added in name order, as a builder walking a sorted folder listing would.
ClTree* BuildTree(int nodes, bool deep) {
    ClTree* tree = ClTreeCreate();
    ClTreeNode* root = ClTreeRoot(tree);
    char name[32];
    if (!deep) {
        ClTreeNode* folder = Add(tree, root, true, "Program Files");
        for (int i = 1; i < nodes; ++i) {
            std::snprintf(name, sizeof name, "file%06d.dat", i);
            Add(tree, folder, false, name);
        }
        return tree;
    }
    ClTreeNode* folder = nullptr;
    int depth = kChainDepth;
    for (int made = 0; made < nodes;) {
        if (depth == kChainDepth) {
            std::snprintf(name, sizeof name, "chain%06d", made);
            folder = Add(tree, root, true, name);
            depth = 1;
        } else {
            folder = Add(tree, folder, true, "sub");
            ++depth;
        }
        ++made;
        for (int i = 0; i < kFilesPerFolder && made < nodes; ++i, ++made) {
            std::snprintf(name, sizeof name, "file%d.dat", i);
            Add(tree, folder, false, name);
        }
    }
    return tree;
}

ClTempFile ScratchFile() {
    ClTempFile file;
    if (!file.Create())
        std::abort();
    return file;
}

void SaveFromStart(HANDLE file, ClTree* tree) {
    if (!SetFilePosition(file, 0) || !SetEndOfFile(file) ||
        !ClTreeSave(file, tree, nullptr, CLT_NAMES | CLT_DATA))
        std::abort();
}

void BM_Build(benchmark::State& state, bool deep) {
    for (auto _ : state) {
        ClTree* tree = BuildTree(static_cast<int>(state.range(0)), deep);
        state.PauseTiming();
        ClTreeDestroy(tree);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Save(benchmark::State& state, bool deep) {
    ClTree* tree = BuildTree(static_cast<int>(state.range(0)), deep);
    ClTempFile scratch = ScratchFile();
    HANDLE file = scratch.handle();
    for (auto _ : state)
        SaveFromStart(file, tree);
    std::uint64_t size = 0;
    GetFileSize64(file, &size);
    state.counters["image_bytes"] = static_cast<double>(size);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    ClTreeDestroy(tree);
}

void BM_Load(benchmark::State& state, bool deep) {
    ClTree* source = BuildTree(static_cast<int>(state.range(0)), deep);
    ClTempFile scratch = ScratchFile();
    HANDLE file = scratch.handle();
    SaveFromStart(file, source);
    ClTreeDestroy(source);
    for (auto _ : state) {
        ClTree* tree = ClTreeCreate();
        if (!SetFilePosition(file, 0) || !ClTreeLoad(file, tree, nullptr, CLT_LOAD_REPLACE_ROOT, 0))
            std::abort();
        state.PauseTiming();
        ClTreeDestroy(tree);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Sizes(benchmark::internal::Benchmark* bench) {
    bench->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_Build, flat, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Build, deep, true)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Save, flat, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Save, deep, true)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Load, flat, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Load, deep, true)->Apply(Sizes);

}  // namespace
