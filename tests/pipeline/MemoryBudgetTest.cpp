#include "resample/MemoryBudget.h"
#include "codec/BmpWriter.h"
#include "pipeline/ShowBuilder.h"
#include "resample/ConvertPicture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

namespace tramino
{
namespace
{

namespace fs = std::filesystem;

// Counts what is held at once by everything that reserved through it.
class CHeldMeter
{
public:
    // What is held now, this included.
    uint64_t Hold(uint64_t nBytes)
    {
        const std::lock_guard lock(m_mutex);
        m_nHeld += nBytes;
        m_nPeak = std::max(m_nPeak, m_nHeld);
        return m_nHeld;
    }
    void Drop(uint64_t nBytes)
    {
        const std::lock_guard lock(m_mutex);
        m_nHeld -= nBytes;
    }
    uint64_t Peak() const { return m_nPeak; }

private:
    std::mutex m_mutex;
    uint64_t m_nHeld = 0;
    uint64_t m_nPeak = 0;
};

TEST(MemoryBudget, ConversionsAtOnceNeverHoldMoreThanTheBudgetAndAHugeOneRunsAlone)
{
    // Turn 4 alone is larger than the whole budget.
    const std::vector<uint64_t> vecBytes = {30, 30, 30, 60, 250, 10, 10, 90, 10, 10, 40, 40};
    CMemoryBudget budget(100);
    CHeldMeter meter;
    std::atomic<size_t> nNext = 0;
    std::vector<size_t> vecOrder;
    std::mutex mutexOrder;
    std::vector<std::jthread> vecThreads;
    for (int t = 0; t < 6; ++t)
        vecThreads.emplace_back(
            [&]
            {
                for (size_t i = nNext++; i < vecBytes.size(); i = nNext++)
                {
                    const CMemoryBudget::CReservation reservation = budget.Reserve(i, vecBytes[i]);
                    {
                        const std::lock_guard lock(mutexOrder);
                        vecOrder.push_back(i);
                    }
                    const uint64_t nHeld = meter.Hold(vecBytes[i]);
                    EXPECT_LE(nHeld, i == 4 ? 250u : 100u) << "turn " << i;
                    std::this_thread::sleep_for(std::chrono::milliseconds(3));
                    if (i == 4)
                    {
                        EXPECT_EQ(meter.Hold(0), 250u) << "the huge one runs alone";
                    }
                    meter.Drop(vecBytes[i]);
                }
            });
    vecThreads.clear();
    // The small ones after it never overtake the huge one waiting for the budget to empty.
    ASSERT_EQ(vecOrder.size(), vecBytes.size());
    EXPECT_EQ(vecOrder[4], 4u);
}

// Peak bytes as given; Produce counts how much is held at once.
class CMeteredSource final : public IPictureSource
{
public:
    CMeteredSource(uint64_t nBytes, CHeldMeter& meter) : m_nBytes(nBytes), m_meter(meter) {}

    uint64_t PeakBytes(CPanelSize) const override { return m_nBytes; }
    CStatus Produce(CPanelSize panel, const FnTakePicture& fnTake) const override
    {
        m_meter.Hold(m_nBytes);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        m_meter.Drop(m_nBytes);
        fnTake(CPicture(panel.m_nWidth, panel.m_nHeight, 24));
        return {};
    }

private:
    uint64_t m_nBytes;
    CHeldMeter& m_meter;
};

TEST(MemoryBudget, JobsShareTheBudgetAndEstimatesFollowTheFormat)
{
    const fs::path dir = fs::temp_directory_path() / ("memory-budget-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    CHeldMeter meter;
    PictureSources vecSources;
    for (int i = 0; i < 16; ++i)
        vecSources.push_back(std::make_unique<CMeteredSource>(i % 4 == 0 ? 70 : 40, meter));
    CShowBuildOptions options;
    options.m_nPanelWidth = 16;
    options.m_nPanelHeight = 8;
    options.m_nJobs = 8;
    options.m_nMemoryBudget = 100;
    const CShowBuildResult result = CShowBuilder(options).Build(vecSources, (dir / "show.qrv").string());
    EXPECT_TRUE(result.m_bWritten) << result.m_status.Message();
    // Eight jobs of up to 70 bytes would hold 400 at once.
    EXPECT_LE(meter.Peak(), 100u);

    // A GIF is decoded whole, one byte a pixel; a plain BMP streams whatever its size.
    std::ofstream(dir / "screen.gif", std::ios::binary)
        << std::string("GIF89a\x00\x10\x00\x08\x00\x00\x00", 13)
        << std::string("\x2C\0\0\0\0\x00\x20\x00\x10\x00", 10);
    EXPECT_GE(EstimateConversionBytes((dir / "screen.gif").string(), {320, 240}), 8192u * 4096u);
    ASSERT_TRUE(WriteBmpFile(CPicture(4000, 3000, 24), (dir / "large.bmp").string()));
    EXPECT_LT(EstimateConversionBytes((dir / "large.bmp").string(), {320, 240}), 8u << 20);
    fs::remove_all(dir);
}

} // namespace
} // namespace tramino
