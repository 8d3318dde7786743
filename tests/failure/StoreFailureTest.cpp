#include "failure/FailureTestSupport.h"

#include "store/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tramino
{
namespace
{
using namespace test;
namespace fs = std::filesystem;

class StoreFailureTest : public testing::Test
{
protected:
    CPictureStore MakeStore(int nPictures) { return TaggedStore(m_dir.Path().string(), nPictures); }

    // The tag of each position's picture; -1 for a position whose file cannot be read, whose
    // message must then name that file.
    static std::vector<int> Content(const CPictureStore& store)
    {
        std::vector<int> vecTags;
        for (int i = 0; i < store.Count(); ++i)
        {
            const CResult<CPicture> picture = store.Read(i);
            if (!picture)
            {
                EXPECT_NE(picture.Message().find(store.PathOf(i)), std::string::npos) << picture.Message();
            }
            vecTags.push_back(picture ? TagOf(picture.Value()) : -1);
        }
        return vecTags;
    }

    static void ExpectFailureNames(const CStatus& status, const std::string& strFile,
                                   const std::string& strReason)
    {
        ASSERT_FALSE(status);
        EXPECT_NE(status.Message().find(strFile), std::string::npos) << status.Message();
        EXPECT_NE(status.Message().find(strReason), std::string::npos) << status.Message();
    }

    CTempDir m_dir;
};

TEST_F(StoreFailureTest, TruncatedAndGarbageFilesAreReportedAndMoveWithTheirPosition)
{
    CPictureStore store = MakeStore(4);
    const std::vector<uint8_t> vecBytes = ReadBytes(store.PathOf(1));
    WriteBytes(store.PathOf(1), std::string_view(reinterpret_cast<const char*>(vecBytes.data()), 40));
    WriteBytes(store.PathOf(2), std::string(vecBytes.size(), '\x5A'));
    EXPECT_EQ(Content(store), (std::vector<int>{0, -1, -1, 3}));

    ASSERT_TRUE(store.SwapWithNext(0));
    EXPECT_EQ(Content(store), (std::vector<int>{-1, 0, -1, 3}));
    ASSERT_TRUE(store.Delete(2));
    EXPECT_EQ(Content(store), (std::vector<int>{-1, 0, 3}));
    ASSERT_TRUE(store.Add(TagPicture(4)));
    EXPECT_EQ(Content(store), (std::vector<int>{-1, 0, 3, 4}));
    EXPECT_EQ(m_dir.Entries(fs::path(store.Folder()).filename()),
              (std::vector<std::string>{"Qrv0.bmp", "Qrv1.bmp", "Qrv2.bmp", "Qrv3.bmp"}));
}

TEST_F(StoreFailureTest, ARemovedFolderRefusesNewPicturesAndStillCloses)
{
    CPictureStore store = MakeStore(3);
    fs::remove_all(store.Folder());
    ExpectFailureNames(store.Add(TagPicture(3)), store.PathOf(3), "No such file or directory");
    EXPECT_EQ(store.Count(), 3);
    // The list's commands go on working: every position has lost its picture.
    ASSERT_TRUE(store.SwapWithNext(1));
    ASSERT_TRUE(store.Delete(0));
    EXPECT_EQ(Content(store), (std::vector<int>{-1, -1}));
    EXPECT_FALSE(store.IsDamaged());
    // Nothing is left to remove, which is what closing wants.
    const CStatus status = store.Close();
    EXPECT_TRUE(status) << status.Message();
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(StoreFailureTest, ARenameRefusedByTheFileSystemChangesNothing)
{
    CPictureStore store = MakeStore(3);
    if (const std::string strReason = MountReadOnly(store.Folder()); !strReason.empty())
        GTEST_SKIP() << strReason;
    ExpectFailureNames(store.Delete(0), store.PathOf(0), "Read-only file system");
    ExpectFailureNames(store.SwapWithNext(1), store.PathOf(1), "Read-only file system");
    ExpectFailureNames(store.Add(TagPicture(3)), store.PathOf(3), "Read-only file system");
    EXPECT_FALSE(store.IsDamaged());
    EXPECT_EQ(Content(store), (std::vector<int>{0, 1, 2}));

    Unmount(store.Folder());
    ASSERT_TRUE(store.SwapWithNext(1));
    ASSERT_TRUE(store.Delete(0));
    EXPECT_EQ(Content(store), (std::vector<int>{2, 1}));
}

TEST_F(StoreFailureTest, AFolderThatCannotBeRemovedIsNamedWhenClosing)
{
    CPictureStore store = MakeStore(2);
    const std::string strFolder = store.Folder();
    if (const std::string strReason = MountReadOnly(strFolder); !strReason.empty())
        GTEST_SKIP() << strReason;
    const CStatus status = store.Close();
    Unmount(strFolder);
    ExpectFailureNames(status, strFolder + "/Qrv", "Read-only file system");
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(StoreFailureTest, FoldersOfEndedRunsAreRemovedWhenAStoreIsMade)
{
    // A run killed with its store open: the child ends without closing it.
    const std::string strLeft = RunInChild(
        [this]
        {
            auto* pStore = new CPictureStore(MakeStore(2));
            return fs::path(pStore->Folder()).filename().string();
        });
    ASSERT_TRUE(strLeft.starts_with("Qrvtemp")) << strLeft;
    // A live owner's folder and one without an owner's mark stay.
    fs::create_directory(m_dir.Path() / "Qrvtemp1-abcdef");
    fs::create_directory(m_dir.Path() / "QrvtempABCDEF");
    ASSERT_EQ(m_dir.Entries().size(), 3u);

    CPictureStore store = MakeStore(1);
    std::vector<std::string> vecExpected{"Qrvtemp1-abcdef", "QrvtempABCDEF",
                                         fs::path(store.Folder()).filename().string()};
    std::sort(vecExpected.begin(), vecExpected.end());
    EXPECT_EQ(m_dir.Entries(), vecExpected);
}

} // namespace
} // namespace tramino
