#include "render/picture_log.h"
#include "render/recording_surface.h"

#include <gtest/gtest.h>

namespace velquor {
namespace {

    std::string replayed(const PictureLog& log)
    {
        RecordingSurface recording(10, 10);
        log.replay(recording);
        return recording.trace();
    }

    TEST(PictureLog, AWholeFillStartsAfreshWithTheCanvasState)
    {
        PictureLog log;
        log.setSurfaceSize(10, 8);
        log.setPenColor(5);
        log.lineTo(3, 3); // before the clear: covered by it
        log.setPenWidth(2);
        log.setBrushColor(7);
        log.setFontColor(9);
        log.fillRect(0, 0, 9, 8); // not the whole width: kept on top of the above
        log.fillRect(-1, 0, 10, 20); // the whole surface and more
        log.lineTo(4, 4);
        log.lineTo(4, 4); // no length: paints nothing, not kept
        log.textOut(1, 2, "-1.5");
        EXPECT_EQ(replayed(log),
            "pencolor 5\npenwidth 2\nbrush 7\nfontcolor 9\nmove 3 3\n"
            "fill -1 0 10 20\nline 4 4\ntext 1 2 -1.5\nrelease\n");
        EXPECT_TRUE(log.complete());
    }

    TEST(PictureLog, KeepsEverythingSinceTheClearAndGivesUpPastItsLimit)
    {
        PictureLog log(20); // 5 calls of state and position, then 15 more
        log.setSurfaceSize(4, 4);
        log.fillRect(0, 0, 4, 4);
        for (int i = 1; i <= 14; ++i)
            log.lineTo(i, 0);
        EXPECT_TRUE(log.complete());
        EXPECT_EQ(log.size(), 20u);
        log.lineTo(99, 0);
        EXPECT_FALSE(log.complete());
        log.textOut(0, 0, "x");
        EXPECT_FALSE(log.complete());
        log.fillRect(0, 0, 4, 4); // the next clearing redraw
        EXPECT_TRUE(log.complete());
        EXPECT_EQ(replayed(log),
            "pencolor 0\npenwidth 1\nbrush 16777215\nfontcolor 0\nmove 99 0\n"
            "fill 0 0 4 4\nrelease\n");
    }

} // namespace
} // namespace velquor
