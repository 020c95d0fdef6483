// gaugeplot3d fuzz corpus as regression tests, and the seeds shown to reach what they are for.
#include <gtest/gtest.h>

#include "events.h"
#include "replay.h"
#include "sketch.h"
#include "viewer.h"

namespace {

using namespace gaugeplot3d;

const std::string corpus = GAUGEPLOT_CORPUS_DIR "/gaugeplot3d";

TEST(Replay3d, EveryCorpusInputRunsWithoutABreach)
{
    std::vector<std::string> files = fuzz::corpusFiles(corpus);
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files)
        EXPECT_TRUE(fuzz::replay(file)) << file;
}

TEST(Replay3d, SquareSeedSketchesDragsRotatesAndDraws)
{
    ASSERT_TRUE(fuzz::replay(corpus + "/seed-square-drag-rotate"));
    EXPECT_EQ(viewer.polygonCount, 1);
    EXPECT_EQ(sketch.polygons[0].vertexCount, 4);
    EXPECT_EQ(sketch.polygons[0].screenX[2], 470);  // dragged
    EXPECT_FLOAT_EQ(viewer.angleY, 1230);            // turned by 30 pixels
    EXPECT_EQ(viewer.showPolygons, 1);                // hidden and shown again
    // The last frame: 1280 band faces, then 3 axes and 4 edges of 4 faces each.
    EXPECT_EQ(fuzz::lastFrame.polygons, 1280 + 4 * (3 + 4));
}

TEST(Replay3d, DegenerateSeedLeavesTheBandOfLaterPolygonsWhole)
{
    ASSERT_TRUE(fuzz::replay(corpus + "/seed-degenerate"));
    EXPECT_EQ(viewer.polygonCount, 3);  // an empty and a one-vertex polygon, counted, then a square
    EXPECT_EQ(fuzz::lastFrame.polygons, 1280 + 4 * (3 + 4));
}

}  // namespace
