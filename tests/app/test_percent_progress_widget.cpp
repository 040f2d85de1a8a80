// The percentage bar on screen: palette colours, the two halves at 50%, the
// text in contrasting colours, and positions moved from another thread.
#include "app/percent_progress_widget.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

TEST(PercentProgressWidget, PaintsBothPartsInThePalettesColours)
{
    CPercentProgressWidget bar;
    bar.resize(200, 24);
    bar.show();
    QCoreApplication::processEvents();
    const QPalette pal = bar.palette();
    bar.Model().SetPos(50);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 3), pal.color(QPalette::Highlight));
    EXPECT_EQ(image.pixelColor(180, 3), pal.color(QPalette::Base));
    // The text "50%" straddles the edge: each half of it contrasts with its ground.
    bool textOnFill = false, textOnBack = false;
    for (int x = 80; x < 120; ++x)
        for (int y = 6; y < 18; ++y) {
            const QColor c = image.pixelColor(x, y);
            textOnFill |= x < 100 && c == pal.color(QPalette::HighlightedText);
            textOnBack |= x >= 100 && c == pal.color(QPalette::Highlight);
        }
    EXPECT_TRUE(textOnFill);
    EXPECT_TRUE(textOnBack);
}

TEST(PercentProgressWidget, WorkerPositionsRepaintOnlyWhenTheWidthChanges)
{
    CPercentProgressWidget bar;
    bar.resize(50, 20); // two positions per pixel
    bar.show();
    QCoreApplication::processEvents();
    std::thread worker([&] {
        for (int pos = 1; pos <= 100; ++pos)
            bar.Model().SetPos(pos);
    });
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.RepaintRequests(), 51); // the first draw (width 0), then one per pixel
    EXPECT_EQ(bar.Model().GetPos(), 100);
}
