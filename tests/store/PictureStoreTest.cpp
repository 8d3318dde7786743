#include "store/ListMove.h"
#include "store/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace tramino;

namespace
{

// Fails the renames whose call numbers (from 0) it is given, with a real errno value.
class CFailingFileOps : public CStoreFileOps
{
public:
    std::set<int> m_setFailing;
    int m_nCalls = 0;

    CResult<ERenamed> Rename(const std::string& strFrom, const std::string& strTo) override
    {
        if (m_setFailing.count(m_nCalls++) != 0)
            return ErrnoStatus("rename '" + strFrom + "' to", strTo, EACCES);
        return CStoreFileOps::Rename(strFrom, strTo);
    }
};

class PictureStoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_strParent = (fs::temp_directory_path() / ("tramino-store-" + std::to_string(::getpid()))).string();
        fs::create_directories(m_strParent);
    }
    void TearDown() override { fs::remove_all(m_strParent); }

    CPictureStore MakeStore(int nPictures, std::shared_ptr<CStoreFileOps> pOps = nullptr)
    {
        return TaggedStore(m_strParent, nPictures, std::move(pOps));
    }

    // Tag -1 stands for a position without a file.
    static void ExpectContent(const CPictureStore& store, const std::vector<int>& vecTags)
    {
        ASSERT_EQ(store.Count(), static_cast<int>(vecTags.size()));
        for (int i = 0; i < store.Count(); ++i)
        {
            CResult<CPicture> picture = store.Read(i);
            if (vecTags[i] < 0)
            {
                EXPECT_FALSE(picture) << "position " << i;
                EXPECT_NE(picture.Message().find(store.PathOf(i)), std::string::npos) << picture.Message();
            }
            else
            {
                ASSERT_TRUE(picture) << picture.Message();
                EXPECT_EQ(picture.Value().GetPixel(0, 1), TagPicture(vecTags[i]).GetPixel(0, 1))
                    << "position " << i;
            }
        }
        // Nothing but the pictures is left in the folder.
        int nFiles = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(store.Folder()))
            ++nFiles;
        int nExpected = 0;
        for (int nTag : vecTags)
            nExpected += nTag >= 0 ? 1 : 0;
        EXPECT_EQ(nFiles, nExpected);
    }

    static void MakeNonEmptyDirectory(const std::string& strPath)
    {
        fs::remove(strPath);
        fs::create_directory(strPath);
        std::ofstream(strPath + "/keep") << "x";
    }

    std::string m_strParent;
};

TEST_F(PictureStoreTest, FolderIsUniqueAndRemovedWithEverythingInIt)
{
    std::string strFolder;
    {
        CPictureStore store = MakeStore(2);
        CPictureStore other = MakeStore(0);
        strFolder = store.Folder();
        EXPECT_NE(strFolder, other.Folder());
        EXPECT_EQ(fs::path(strFolder).parent_path(), fs::path(m_strParent));
        EXPECT_EQ(fs::path(strFolder).filename().string().rfind("Qrvtemp", 0), 0u);
        EXPECT_EQ(store.PathOf(1), strFolder + "/Qrv1.bmp");
        EXPECT_TRUE(fs::is_regular_file(store.PathOf(1)));
        // Strays of an interrupted run go too.
        std::ofstream(strFolder + "/-1.bmp") << "x";
        MakeNonEmptyDirectory(strFolder + "/stray");
    }
    EXPECT_FALSE(fs::exists(strFolder));

    CPictureStore store = MakeStore(1);
    strFolder = store.Folder();
    EXPECT_TRUE(store.Close());
    EXPECT_FALSE(store.IsOpen());
    EXPECT_FALSE(fs::exists(strFolder));
    EXPECT_FALSE(store.Add(TagPicture(0)));
    EXPECT_FALSE(store.Read(0));

    CResult<CPictureStore> nowhere =
        CPictureStore::Create({g_nStoreWidth, g_nStoreHeight}, m_strParent + "/missing");
    ASSERT_FALSE(nowhere);
    EXPECT_NE(nowhere.Message().find(m_strParent + "/missing"), std::string::npos) << nowhere.Message();
}

TEST_F(PictureStoreTest, FolderIsOnlyTheUsers)
{
#ifdef _WIN32
    GTEST_SKIP() << "no file modes on Windows: the folder has the access rights of the folder it is made in";
#else
    const CPictureStore store = MakeStore(0);
    struct stat info = {};
    ASSERT_EQ(::stat(store.Folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
#endif
}

TEST_F(PictureStoreTest, AddKeepsPixelsAndRefusesWrongSizes)
{
    CPictureStore store = MakeStore(3);
    CResult<CPicture> picture = store.Read(2);
    ASSERT_TRUE(picture) << picture.Message();
    EXPECT_EQ(picture.Value().Width(), g_nStoreWidth);
    EXPECT_EQ(picture.Value().Height(), g_nStoreHeight);
    for (int y = 0; y < g_nStoreHeight; ++y)
        for (int x = 0; x < g_nStoreWidth; ++x)
            EXPECT_EQ(picture.Value().GetPixel(x, y), TagPicture(2).GetPixel(x, y));

    EXPECT_FALSE(store.Add(CPicture(g_nStoreWidth + 1, g_nStoreHeight, 24)));
    EXPECT_FALSE(store.Read(3));
    EXPECT_FALSE(store.Read(-1));
    ExpectContent(store, {0, 1, 2});

    // A file changed behind the store's back to another size is not handed out as a panel picture.
    CResult<CPictureStore> small = CPictureStore::Create({4, 4}, m_strParent);
    ASSERT_TRUE(small);
    ASSERT_TRUE(small.Value().Add(CPicture(4, 4, 24)));
    fs::remove(store.PathOf(1)); // mingw's libstdc++ 12 cannot copy over a file
    fs::copy_file(small.Value().PathOf(0), store.PathOf(1));
    CResult<CPicture> wrong = store.Read(1);
    ASSERT_FALSE(wrong);
    EXPECT_NE(wrong.Message().find("Qrv1.bmp"), std::string::npos) << wrong.Message();
}

TEST_F(PictureStoreTest, DeleteClosesUpBehindThePosition)
{
    CPictureStore store = MakeStore(4);
    ASSERT_TRUE(store.Delete(1));
    ExpectContent(store, {0, 2, 3});
    EXPECT_FALSE(fs::exists(store.PathOf(3)));
    ASSERT_TRUE(store.Delete(2));
    ExpectContent(store, {0, 2});
    ASSERT_TRUE(store.Delete(0));
    ASSERT_TRUE(store.Delete(0));
    ExpectContent(store, {});
    EXPECT_FALSE(store.Delete(0));
    ASSERT_TRUE(store.Add(TagPicture(7)));
    ExpectContent(store, {7});
}

TEST_F(PictureStoreTest, SwapWithNextExchangesNeighbours)
{
    CPictureStore store = MakeStore(3);
    ASSERT_TRUE(store.SwapWithNext(1));
    ExpectContent(store, {0, 2, 1});
    ASSERT_TRUE(store.SwapWithNext(0));
    ExpectContent(store, {2, 0, 1});
    EXPECT_FALSE(store.SwapWithNext(2));
    EXPECT_FALSE(store.SwapWithNext(-1));
    ExpectContent(store, {2, 0, 1});
}

TEST_F(PictureStoreTest, FilesRemovedBehindTheStoreMoveAlongAsGaps)
{
    CPictureStore store = MakeStore(4);
    fs::remove(store.PathOf(2));
    ASSERT_TRUE(store.Delete(0));
    ExpectContent(store, {1, -1, 3});
    ASSERT_TRUE(store.SwapWithNext(0));
    ExpectContent(store, {-1, 1, 3});
    ASSERT_TRUE(store.SwapWithNext(1));
    ExpectContent(store, {-1, 3, 1});
    // Deleting the position whose file is gone is how the user gets rid of it.
    ASSERT_TRUE(store.Delete(0));
    ExpectContent(store, {3, 1});
}

TEST_F(PictureStoreTest, FailedRenameInAnyStepLeavesEverythingAsBefore)
{
    // Delete of position 1 of five renames: set aside, then 2->1, 3->2, 4->3.
    for (int nFail = 0; nFail < 4; ++nFail)
    {
        auto pOps = std::make_shared<CFailingFileOps>();
        CPictureStore store = MakeStore(5, pOps);
        pOps->m_setFailing = {nFail};
        CStatus status = store.Delete(1);
        ASSERT_FALSE(status) << "rename " << nFail;
        EXPECT_NE(status.Message().find(store.Folder()), std::string::npos) << status.Message();
        EXPECT_NE(status.Message().find("Permission denied"), std::string::npos) << status.Message();
        EXPECT_FALSE(store.IsDamaged());
        ExpectContent(store, {0, 1, 2, 3, 4});
        ASSERT_TRUE(store.Delete(1));
        ExpectContent(store, {0, 2, 3, 4});
    }
    // A swap renames first->transit, second->first, transit->second.
    for (int nFail = 0; nFail < 3; ++nFail)
    {
        auto pOps = std::make_shared<CFailingFileOps>();
        CPictureStore store = MakeStore(3, pOps);
        pOps->m_setFailing = {nFail};
        CStatus status = store.SwapWithNext(1);
        ASSERT_FALSE(status) << "rename " << nFail;
        EXPECT_FALSE(store.IsDamaged());
        ExpectContent(store, {0, 1, 2});
        ASSERT_TRUE(store.SwapWithNext(1));
        ExpectContent(store, {0, 2, 1});
    }
}

TEST_F(PictureStoreTest, ReplaceIsAllOrNothing)
{
    auto pOps = std::make_shared<CFailingFileOps>();
    CPictureStore store = MakeStore(3, pOps);
    pOps->m_setFailing = {0};
    const CStatus failed = store.Replace(1, TagPicture(5));
    ASSERT_FALSE(failed);
    EXPECT_NE(failed.Message().find(store.PathOf(1)), std::string::npos) << failed.Message();
    EXPECT_FALSE(store.IsDamaged());
    ExpectContent(store, {0, 1, 2}); // the picture written beside is gone too
    EXPECT_FALSE(store.Replace(1, CPicture(g_nStoreWidth + 1, g_nStoreHeight, 24)));
    EXPECT_FALSE(store.Replace(3, TagPicture(5)));
    ASSERT_TRUE(store.Replace(1, TagPicture(5)));
    ExpectContent(store, {0, 5, 2});
}

TEST_F(PictureStoreTest, RealObstaclesAreReportedWithTheFileName)
{
    CPictureStore store = MakeStore(3);
    // A non-empty directory cannot be replaced by a rename, not even by root.
    const std::pair<std::string, std::function<CStatus()>> aBlockedSteps[] = {
        {store.Folder() + "/-1.bmp", [&store] { return store.SwapWithNext(0); }},
        {store.Folder() + "/Qrvdeleted.bmp", [&store] { return store.Delete(0); }},
        {store.PathOf(3), [&store] { return store.Add(TagPicture(3)); }}};
    for (const auto& [strObstacle, fnStep] : aBlockedSteps)
    {
        MakeNonEmptyDirectory(strObstacle);
        const CStatus status = fnStep();
        ASSERT_FALSE(status) << strObstacle;
        EXPECT_NE(status.Message().find(fs::path(strObstacle).filename().string()), std::string::npos)
            << status.Message();
        EXPECT_EQ(store.Count(), 3);
        fs::remove_all(strObstacle);
        ExpectContent(store, {0, 1, 2});
    }
}

TEST_F(PictureStoreTest, FailedUndoMarksTheStoreDamaged)
{
    auto pOps = std::make_shared<CFailingFileOps>();
    CPictureStore store = MakeStore(4, pOps);
    // Set aside, 1->0 succeed; 2->1 fails; undoing 0->1 fails too.
    pOps->m_setFailing = {2, 3};
    CStatus status = store.Delete(0);
    ASSERT_FALSE(status);
    EXPECT_TRUE(store.IsDamaged());
    EXPECT_NE(status.Message().find("no longer match"), std::string::npos) << status.Message();
    EXPECT_FALSE(store.Add(TagPicture(9)));
    EXPECT_FALSE(store.SwapWithNext(0));
    EXPECT_TRUE(store.Read(0)); // still readable, for whatever can be saved
    const std::string strFolder = store.Folder();
    EXPECT_TRUE(store.Close());
    EXPECT_FALSE(fs::exists(strFolder));

    auto pSwapOps = std::make_shared<CFailingFileOps>();
    CPictureStore swapped = MakeStore(2, pSwapOps);
    // transit->second fails, then putting the second back fails.
    pSwapOps->m_setFailing = {2, 3};
    EXPECT_FALSE(swapped.SwapWithNext(0));
    EXPECT_TRUE(swapped.IsDamaged());
}

TEST_F(PictureStoreTest, WorkersReadConcurrently)
{
    const CPictureStore store = MakeStore(4);
    std::vector<std::thread> vecWorkers;
    std::vector<int> vecGood(4, 0);
    for (int t = 0; t < 4; ++t)
        vecWorkers.emplace_back(
            [&store, &vecGood, t]
            {
                for (int i = 0; i < store.Count(); ++i)
                    vecGood[t] += store.Read(i) ? 1 : 0;
            });
    for (std::thread& worker : vecWorkers)
        worker.join();
    EXPECT_EQ(vecGood, std::vector<int>(4, 4));
}

TEST(ListMove, SelectedRowsMoveTogetherBeforeTheTargetThroughNeighbourSwaps)
{
    struct CCase
    {
        int m_nCount;
        std::vector<int> m_vecRows;
        int m_nBefore;
        std::vector<int> m_vecOrder;
    };
    for (const CCase& test : {CCase{5, {1, 3}, 0, {1, 3, 0, 2, 4}}, CCase{5, {0, 1}, 5, {2, 3, 4, 0, 1}},
                              CCase{4, {0, 3}, 2, {1, 0, 3, 2}}, CCase{5, {2}, 2, {0, 1, 2, 3, 4}},
                              CCase{5, {2, 3}, 4, {0, 1, 2, 3, 4}}})
    {
        const std::vector<int> vecOrder = MovedOrder(test.m_nCount, test.m_vecRows, test.m_nBefore);
        EXPECT_EQ(vecOrder, test.m_vecOrder);
        std::vector<int> vecList(static_cast<size_t>(test.m_nCount));
        std::iota(vecList.begin(), vecList.end(), 0);
        const std::vector<int> vecSwaps = NeighbourSwaps(vecOrder);
        for (const int j : vecSwaps)
            std::swap(vecList[static_cast<size_t>(j)], vecList[static_cast<size_t>(j) + 1]);
        EXPECT_EQ(vecList, vecOrder);
        EXPECT_EQ(vecSwaps.empty(), std::is_sorted(vecOrder.begin(), vecOrder.end()));
    }
}

} // namespace
