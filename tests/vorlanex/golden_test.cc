// The examples compiled and rendered back, against the files checked in
// beside them: a change to the bytes or the text of any example shows here.
// scripts/golden writes the files anew after an intended change.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using testing::read_file_content;
using testing::run_vorlanex;
using testing::TempDir;

const std::string kGolden = VORLANEX_SOURCE_DIR "/tests/golden/";

std::vector<std::string> example_names() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(VORLANEX_SOURCE_DIR "/examples"))
        if (entry.path().extension() == ".conf") names.push_back(entry.path().stem());
    return names;
}

TEST(Golden, ExamplesCompileToTheirImagesAndRenderToTheirText) {
    TempDir dir;
    const auto names = example_names();
    ASSERT_GE(names.size(), 6u);
    for (const std::string& name : names) {
        const std::string example = VORLANEX_SOURCE_DIR "/examples/" + name + ".conf";
        const std::string image = dir.file(name + ".bin");
        const std::string text = dir.file(name + ".conf");
        ASSERT_EQ(run_vorlanex({"convert", example, image}).status, 0) << name;
        EXPECT_EQ(read_file_content(image), read_file_content(kGolden + name + ".bin")) << name;
        ASSERT_EQ(run_vorlanex({"convert", kGolden + name + ".bin", text}).status, 0) << name;
        EXPECT_EQ(read_file_content(text), read_file_content(kGolden + name + ".rendered.conf"))
            << name;
        // The rendered text compiles to the same image again.
        EXPECT_EQ(run_vorlanex({"convert", text, "-"}).out, read_file_content(image)) << name;
    }
}

}  // namespace
}  // namespace vorlanex
