// setupkit build: manifest -> checked plan -> setup executable.
#include <chrono>
#include <cstdio>
#include <iostream>

#include "tools/setupkit/commands.h"
#include "tools/setupkit/host.h"
#include "tools/setupkit/package_plan.h"
#include "tools/setupkit/package_writer.h"

namespace fs = std::filesystem;

namespace {

// The stub: as given; else setup.exe next to setupkit (an installed pair); else, for a
// setupkit of build/native, the setup.exe of build/windows beside it (scripts/build).
fs::path FindStub(const fs::path& given) {
    if (!given.empty())
        return given;
    const fs::path tool = ToolFolder();
    const fs::path candidates[] = {
        tool / "setup.exe",
        tool.parent_path().parent_path().parent_path() / "windows" / "driver" / "setup.exe"};
    std::error_code error;
    for (const fs::path& candidate : candidates)
        if (fs::is_regular_file(candidate, error))
            return candidate;
    throw ToolError("no setup.exe next to setupkit (" + candidates[0].u8string() +
                    ") or in the "
                    "Windows build (" +
                    candidates[1].lexically_normal().u8string() +
                    "); give the setup program of the Windows build with --stub");
}

// Refuses an output that is one of the build's inputs under whatever name (another spelling of
// the path, a link): the build would replace a file it reads.
void RefuseInputAsOutput(const fs::path& output, const Manifest& manifest, const fs::path& stub,
                         const PackagePlan& plan) {
    std::error_code error;
    if (!fs::exists(output, error))
        return;
    auto refuse = [&](const fs::path& input, const std::string& what) {
        if (fs::equivalent(output, input, error))
            throw ToolError("the output " + output.u8string() + " is " + what + " " +
                            input.u8string() + "; give another -o");
    };
    refuse(manifest.file, "the manifest");
    refuse(stub, "the stub");
    for (const fs::path& text : manifest.textFiles)
        refuse(text, "the text file");
    for (const PlannedFile& file : plan.files)
        refuse(file.source, "the source file");
}

std::string Grouped(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

}  // namespace

int CommandBuild(const BuildArgs& args) {
    const auto start = std::chrono::steady_clock::now();
    Diagnostics diagnostics(args.manifest.u8string());
    Manifest manifest = ReadManifest(args.manifest, diagnostics);
    // Planned even after manifest problems, so that missing sources and the like are
    // reported in the same run; the plan is only made when there is no problem at all.
    std::unique_ptr<PackagePlan> plan = PlanPackage(manifest, diagnostics);
    for (const std::string& line : diagnostics.Lines())
        std::cerr << line << "\n";
    if (diagnostics.HasErrors() || !plan) {
        std::cerr << diagnostics.ErrorCount() << " error(s); nothing written\n";
        return 1;
    }

    BuildOptions options;
    options.output = args.output;
    options.stub = FindStub(args.stub);
    RefuseInputAsOutput(args.output, manifest, options.stub, *plan);
    options.progress = !args.quiet;
    const BuildSummary summary = WritePackage(*plan, options);
    if (args.quiet)
        return 0;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double ratio = summary.bytesIn ? 100.0 * static_cast<double>(summary.bytesOut) /
                                               static_cast<double>(summary.bytesIn)
                                         : 0.0;
    std::printf(
        "%s: %zu files (%zu entries), %s bytes in, %s bytes out (%.1f%%), "
        "%s bytes in all, %.2f s\n",
        args.output.u8string().c_str(), summary.files, summary.entries,
        Grouped(summary.bytesIn).c_str(), Grouped(summary.bytesOut).c_str(), ratio,
        Grouped(summary.outputSize).c_str(), seconds);
    return 0;
}
