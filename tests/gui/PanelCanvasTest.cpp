#include "PanelCanvas.h"

#include <QEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

namespace tramino
{
namespace
{

class CPaintCounter : public QObject
{
public:
    int m_nPaints = 0;

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Paint)
        {
            ++m_nPaints;
        }
        return QObject::eventFilter(pObject, pEvent);
    }
};

TEST(PanelCanvas, PixelsFromAWorkerAreKeptAndShownInFewRepaints)
{
    CPanelCanvas canvas(nullptr, 96, 64);
    canvas.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas));
    CPaintCounter counter;
    canvas.installEventFilter(&counter);

    std::thread worker(
        [&canvas]
        {
            for (int y = 0; y < 64; ++y)
            {
                for (int x = 0; x < 96; ++x)
                {
                    canvas.SetPixel(x, y, CRgb{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7});
                }
            }
            canvas.SetPixel(96, 0, CRgb{255, 255, 255}); // outside: ignored
        });
    worker.join();

    EXPECT_TRUE(QTest::qWaitFor([&counter] { return counter.m_nPaints > 0; }, 1000));
    // 6144 pixel writes coalesce into a handful of repaints.
    EXPECT_LT(counter.m_nPaints, 10);
    const QImage image = canvas.grab().toImage();
    EXPECT_EQ(image.pixelColor(95, 63), QColor(95, 63, 7));
    EXPECT_EQ(canvas.PixelAt(10, 20), (CRgb{10, 20, 7}));
}

TEST(PanelCanvas, PicturesAreStretchedToThePanelAndClearGoesBlack)
{
    CPanelCanvas canvas(nullptr, 8, 4);
    CPicture picture(2, 2, 24);
    for (int y = 0; y < 2; ++y)
    {
        for (int x = 0; x < 2; ++x)
        {
            picture.SetPixel(x, y, CRgb{200, 100, 50});
        }
    }
    canvas.DrawPicture(picture);
    EXPECT_EQ(canvas.PixelAt(7, 3), (CRgb{200, 100, 50}));
    canvas.Clear();
    EXPECT_EQ(canvas.PixelAt(7, 3), (CRgb{0, 0, 0}));
}

} // namespace
} // namespace tramino
