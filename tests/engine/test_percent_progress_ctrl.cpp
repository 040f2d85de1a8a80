// The percentage bar's model: defaults, the repaint rule, caption, layout.
#include "tests/support/engine_recorders.h"

#include <gtest/gtest.h>

using kvntest::RecordingSurface;

TEST(PercentProgress, DefaultsAndLayoutAtZeroAndHalf)
{
    CPercentProgressCtrl bar;
    EXPECT_EQ(bar.GetLower(), 0);
    EXPECT_EQ(bar.GetUpper(), 100);
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(bar.GetStep(), 1);
    EXPECT_TRUE(bar.GetShowText());
    EXPECT_EQ(bar.GetDrawnWidth(), -1);
    auto p = bar.Layout(200);
    EXPECT_TRUE(p.draw);
    EXPECT_EQ(p.filledRight, 0);
    EXPECT_EQ(p.text, "0%");
    EXPECT_EQ(p.textOnBackColor, CPercentProgressCtrl::kDefaultHighlight);
    EXPECT_EQ(p.backColor, CPercentProgressCtrl::kDefaultWindow);

    RecordingSurface surface(bar, 200);
    bar.Attach(&surface);
    bar.SetPos(50);
    p = bar.Layout(200);
    EXPECT_EQ(p.filledRight, 100);
    EXPECT_EQ(p.text, "50%");
    EXPECT_EQ(p.textOnFillColor, CPercentProgressCtrl::kDefaultWindow);
    EXPECT_EQ(p.fillColor, CPercentProgressCtrl::kDefaultHighlight);
    bar.SetRange(10, 10);
    EXPECT_FALSE(bar.Layout(200).draw); // empty range: nothing to draw
}

TEST(PercentProgress, RepaintsOnlyWhenTheFilledWidthChanges)
{
    CPercentProgressCtrl bar;
    EXPECT_EQ(bar.SetPos(5), -1); // no window yet
    EXPECT_EQ(bar.GetPos(), 0);
    RecordingSurface surface(bar, 50); // two positions per pixel
    bar.Attach(&surface);
    EXPECT_EQ(bar.SetPos(2), 0);
    EXPECT_EQ(bar.SetPos(3), 2); // same pixel width (1): no repaint
    EXPECT_EQ(surface.repaints, std::vector<int>{ 2 });
    EXPECT_EQ(bar.OffsetPos(1), 3);
    EXPECT_EQ(bar.SetStep(10), 10);
    EXPECT_EQ(bar.StepIt(), 4);
    EXPECT_EQ(surface.repaints, (std::vector<int>{ 2, 4, 14 }));
    bar.SetPos(14);
    EXPECT_EQ(surface.repaints.size(), 3u);
    bar.OnSize(); // a resize always lets the next position repaint
    bar.SetPos(14);
    EXPECT_EQ(surface.repaints.size(), 4u);
    bar.Detach();
    EXPECT_EQ(bar.SetPos(20), -1);
}

TEST(PercentProgress, CaptionReplacesThePercentage)
{
    CPercentProgressCtrl bar;
    RecordingSurface surface(bar);
    bar.Attach(&surface);
    bar.SetPos(30);
    bar.SetWindowText("Working");
    EXPECT_EQ(surface.invalidations, 1);
    bar.SetWindowText("Working"); // unchanged: no invalidation
    EXPECT_EQ(surface.invalidations, 1);
    EXPECT_EQ(bar.Layout(100).text, "Working");
    char buf[32];
    EXPECT_EQ(bar.GetWindowText(buf, sizeof buf), 7);
    EXPECT_STREQ(buf, "Working");
    EXPECT_EQ(bar.GetWindowText(buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "Wor");
    EXPECT_EQ(bar.GetWindowText(buf, 0), 0);
    bar.SetWindowText(nullptr);
    EXPECT_EQ(bar.Layout(100).text, "30%");
    bar.SetShowText(false);
    EXPECT_EQ(surface.invalidations, 3);
    EXPECT_EQ(bar.Layout(100).text, "");
    bar.SetShowText(false);
    EXPECT_EQ(surface.invalidations, 3);
}

TEST(PercentProgress, ColourSettersReturnWhatTheyStore)
{
    CPercentProgressCtrl bar;
    EXPECT_EQ(bar.SetFillColor(RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(bar.SetBackColor(RGB(4, 5, 6)), RGB(4, 5, 6));
    EXPECT_EQ(bar.SetTextOnBackColor(RGB(7, 8, 9)), RGB(7, 8, 9));
    EXPECT_EQ(bar.SetTextOnFillColor(RGB(10, 11, 12)), RGB(10, 11, 12));
    EXPECT_EQ(bar.GetFillColor(), RGB(1, 2, 3));
    EXPECT_EQ(bar.GetBackColor(), RGB(4, 5, 6));
    EXPECT_EQ(bar.GetTextOnBackColor(), RGB(7, 8, 9));
    EXPECT_EQ(bar.GetTextOnFillColor(), RGB(10, 11, 12));
}
