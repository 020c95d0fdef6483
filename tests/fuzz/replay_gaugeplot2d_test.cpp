// gaugeplot2d fuzz corpus as regression tests, and the seeds shown to reach what they are for.
#include <gtest/gtest.h>

#include "events.h"
#include "polygons.h"
#include "replay.h"
#include "viewer.h"

namespace {

using namespace gaugeplot2d;

const std::string corpus = GAUGEPLOT_CORPUS_DIR "/gaugeplot2d";

TEST(Replay2d, EveryCorpusInputRunsWithoutABreach)
{
    std::vector<std::string> files = fuzz::corpusFiles(corpus);
    ASSERT_FALSE(files.empty());
    ::testing::internal::CaptureStdout();  // "Print Values" in the inputs
    for (const std::string& file : files)
        EXPECT_TRUE(fuzz::replay(file)) << file;
    ::testing::internal::GetCapturedStdout();
}

TEST(Replay2d, SquareSeedSketchesDragsAndDraws)
{
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(fuzz::replay(corpus + "/seed-square-drag-print"));
    std::string listing = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(finishedPolygons(), 1);
    EXPECT_EQ(store.polygons[0].lastVertex, 3);
    EXPECT_EQ(store.polygons[0].screenX[1], 450);  // dragged
    EXPECT_EQ(fuzz::lastFrame.polygons, 160);
    EXPECT_EQ(listing.substr(0, 16), "      1    4.00\n");
}

}  // namespace
