#include "document/DocumentCommands.h"
#include "store/ListMove.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tramino;

namespace
{

constexpr CPanelSize g_panel{8, 6};

// A picture of the panel that tells itself apart by its tag.
CPicture TagPicture(int nTag, CPanelSize panel = g_panel)
{
    CPicture picture(panel.m_nWidth, panel.m_nHeight, 24);
    picture.SetPixel(0, 0, CRgb{static_cast<uint8_t>(nTag & 0xFF), static_cast<uint8_t>(nTag >> 8), 7});
    return picture;
}

int TagOf(const CPicture& picture)
{
    const CRgb cr = picture.GetPixel(0, 0);
    return cr.m_nRed | (cr.m_nGreen << 8);
}

// Fails the renames whose call numbers (from 0, counted from Arm) it is given.
class CFailingFileOps : public CStoreFileOps
{
public:
    std::set<int> m_setFailing;
    int m_nCalls = 0;

    void Arm(std::set<int> setFailing)
    {
        m_setFailing = std::move(setFailing);
        m_nCalls = 0;
    }

    CResult<ERenamed> Rename(const std::string& strFrom, const std::string& strTo) override
    {
        if (m_setFailing.count(m_nCalls++) != 0)
            return ErrnoStatus("rename '" + strFrom + "' to", strTo, EACCES);
        return CStoreFileOps::Rename(strFrom, strTo);
    }
};

class ShowDocumentTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_strParent =
            (fs::temp_directory_path() / ("tramino-document-" + std::to_string(::getpid()))).string();
        fs::create_directories(m_strParent);
        m_pDocument = std::make_unique<CShowDocument>(
            g_panel, EEffect::Normal,
            [this](CPanelSize panel) { return CPictureStore::Create(panel, m_strParent, m_pOps); });
    }
    void TearDown() override
    {
        m_pDocument.reset();
        fs::remove_all(m_strParent);
    }

    CShowDocument& Doc() { return *m_pDocument; }

    // Lists the tagged pictures before the row nBefore (0: at the end) as one command.
    std::unique_ptr<CInsertRowsCommand> Insert(const std::vector<int>& vecTags, RowId nBefore = 0)
    {
        auto pCommand = std::make_unique<CInsertRowsCommand>(Doc(), nBefore);
        for (const int nTag : vecTags)
        {
            const std::string strName = std::to_string(nTag);
            EXPECT_TRUE(pCommand->Add(Doc().PlainFileRow("/pictures/" + strName + ".bmp", strName),
                                      TagPicture(nTag)));
        }
        return pCommand;
    }

    RowId IdOf(int nTag) const
    {
        for (int i = 0; i < m_pDocument->ImageCount(); ++i)
        {
            if (m_pDocument->Row(i).m_strText == std::to_string(nTag))
                return m_pDocument->Row(i).m_nId;
        }
        return 0;
    }

    // The rows and the store's files hold the tags in this order.
    void Expect(const std::vector<int>& vecTags, const std::string& strWhen)
    {
        SCOPED_TRACE(strWhen);
        ASSERT_EQ(Doc().ImageCount(), static_cast<int>(vecTags.size()));
        const CProject project = Doc().Project();
        ASSERT_EQ(project.m_vecPictures.size(), vecTags.size());
        for (size_t i = 0; i < vecTags.size(); ++i)
        {
            const int nRow = static_cast<int>(i);
            EXPECT_EQ(Doc().Row(nRow).m_strText, std::to_string(vecTags[i])) << "row " << i;
            EXPECT_EQ(project.m_vecPictures[i], Doc().Row(nRow).m_picture);
            const CResult<CPicture> picture = Doc().Store()->Read(nRow);
            ASSERT_TRUE(picture) << picture.Message();
            EXPECT_EQ(TagOf(picture.Value()), vecTags[i]) << "store position " << i;
        }
    }

    // Redo, undo and redo again, each leaving the expected list.
    void ExpectCycle(CDocumentCommand& command, const std::vector<int>& vecBefore,
                     const std::vector<int>& vecAfter)
    {
        ASSERT_TRUE(command.Undo());
        Expect(vecBefore, "undone");
        ASSERT_TRUE(command.Redo());
        Expect(vecAfter, "redone");
    }

    std::string m_strParent;
    std::shared_ptr<CFailingFileOps> m_pOps = std::make_shared<CFailingFileOps>();
    std::unique_ptr<CShowDocument> m_pDocument;
};

TEST_F(ShowDocumentTest, EachRowCommandAppliesUndoesAndRedoesWithTheStoreInStep)
{
    const auto pLoad = Insert({1, 2, 3, 4});
    Expect({1, 2, 3, 4}, "loaded");
    ExpectCycle(*pLoad, {}, {1, 2, 3, 4});

    // Inserted before a row, found by its identity.
    const auto pDrop = Insert({5, 6}, IdOf(2));
    Expect({1, 5, 6, 2, 3, 4}, "dropped");
    ExpectCycle(*pDrop, {1, 2, 3, 4}, {1, 5, 6, 2, 3, 4});

    CDeleteRowsCommand remove(Doc(), {IdOf(5), IdOf(3), IdOf(4)});
    ASSERT_TRUE(remove.Redo());
    Expect({1, 6, 2}, "deleted");
    ExpectCycle(remove, {1, 5, 6, 2, 3, 4}, {1, 6, 2});

    CMoveRowsCommand up(Doc(), {IdOf(2)}, IdOf(6));
    ASSERT_TRUE(up.Redo());
    Expect({1, 2, 6}, "up");
    ExpectCycle(up, {1, 6, 2}, {1, 2, 6});

    CMoveRowsCommand drag(Doc(), {IdOf(1), IdOf(6)}, 0);
    ASSERT_TRUE(drag.Redo());
    Expect({2, 1, 6}, "dragged to the end");
    ExpectCycle(drag, {1, 2, 6}, {2, 1, 6});
    EXPECT_TRUE(CMoveRowsCommand(Doc(), {IdOf(6)}, 0).IsNoMove());

    // Back through everything, then forward again.
    for (CDocumentCommand* pCommand :
         std::vector<CDocumentCommand*>{&drag, &up, &remove, pDrop.get(), pLoad.get()})
        ASSERT_TRUE(pCommand->Undo());
    Expect({}, "all undone");
    for (CDocumentCommand* pCommand :
         std::vector<CDocumentCommand*>{pLoad.get(), pDrop.get(), &remove, &up, &drag})
        ASSERT_TRUE(pCommand->Redo());
    Expect({2, 1, 6}, "all redone");
}

TEST_F(ShowDocumentTest, OptionsTransitionPanelAndProjectCommandsTakeTheirChangeBack)
{
    const auto pLoad = Insert({1, 2, 3});
    CPictureValues contain;
    contain[static_cast<size_t>(EPictureOption::Fit)] = "contain";
    CChangeOptionsCommand options(Doc());
    const CPicture converted = TagPicture(20);
    ASSERT_TRUE(options.Add(IdOf(2), contain, 0, &converted));
    ASSERT_TRUE(options.Add(IdOf(3), contain, 0, nullptr));
    const CPictureValues plain = Doc().Row(1).m_picture.m_overrides;
    ASSERT_TRUE(options.Redo());
    EXPECT_EQ(TagOf(Doc().Store()->Read(1).Value()), 20);
    EXPECT_EQ(TagOf(Doc().Store()->Read(2).Value()), 3);
    EXPECT_EQ(ConvertOptionsFor(Doc().EffectiveValues(1)).m_eFit, EFit::Contain);
    EXPECT_EQ(ConvertOptionsFor(Doc().EffectiveValues(2)).m_eFit, EFit::Contain);
    ASSERT_TRUE(options.Undo());
    Expect({1, 2, 3}, "options undone");
    EXPECT_EQ(Doc().Row(1).m_picture.m_overrides, plain);
    ASSERT_TRUE(options.Redo());
    EXPECT_EQ(TagOf(Doc().Store()->Read(1).Value()), 20);

    CEffectCommand command(Doc(), EEffect::Circle);
    ASSERT_TRUE(command.Redo());
    EXPECT_EQ(Doc().Effect(), EEffect::Circle);
    ASSERT_TRUE(command.Undo());
    EXPECT_EQ(Doc().Effect(), EEffect::Normal);

    // The other panel's pictures come back from their own store, unconverted.
    const CPictureStore* pOldStore = Doc().Store();
    CResult<CPictureStore> store = Doc().CreateStore({16, 12});
    ASSERT_TRUE(store);
    for (const int nTag : {1, 20, 3})
        ASSERT_TRUE(store.Value().Add(TagPicture(nTag + 100, {16, 12})));
    CPanelCommand panel(Doc(), {16, 12}, std::make_unique<CPictureStore>(std::move(store).Value()));
    ASSERT_TRUE(panel.Redo());
    EXPECT_EQ(Doc().Panel(), (CPanelSize{16, 12}));
    EXPECT_EQ(TagOf(Doc().Store()->Read(1).Value()), 120);
    ASSERT_TRUE(panel.Undo());
    EXPECT_EQ(Doc().Panel(), g_panel);
    EXPECT_EQ(Doc().Store(), pOldStore);
    EXPECT_EQ(TagOf(Doc().Store()->Read(1).Value()), 20);
    EXPECT_FALSE(CPanelCommand(Doc(), {16, 12}, nullptr).Redo()) << "a store that misses the rows is refused";
    EXPECT_EQ(Doc().Panel(), g_panel);

    // An opened project replaces everything; undone, the list is back with its store.
    ASSERT_TRUE(Doc().Save(m_strParent + "/show.tramino"));
    EXPECT_FALSE(Doc().IsModified());
    CProject file;
    file.m_effect = EEffect::ShutterTopToBottom;
    CContentsCommand open(Doc(),
                          CShowDocument::OpenedContents(file, m_strParent + "/other.tramino", g_panel));
    ASSERT_TRUE(open.Redo());
    const auto pListed = Insert({7});
    EXPECT_EQ(Doc().Path(), m_strParent + "/other.tramino");
    EXPECT_EQ(Doc().Effect(), EEffect::ShutterTopToBottom);
    Expect({7}, "opened");
    ASSERT_TRUE(open.Undo());
    ASSERT_EQ(Doc().ImageCount(), 3);
    EXPECT_EQ(TagOf(Doc().Store()->Read(1).Value()), 20) << "the list and its store are back";
    EXPECT_EQ(Doc().Path(), m_strParent + "/show.tramino");
    EXPECT_FALSE(Doc().IsModified());
    ASSERT_TRUE(open.Redo());
    Expect({7}, "open redone");
}

TEST_F(ShowDocumentTest, WhileAConversionRunsOnlyItsOwnCommandChangesTheRowsItAskedFor)
{
    const auto pLoad = Insert({1, 2, 3});
    // Converting pictures to go before row 2: the rest of the list is refused meanwhile.
    auto pDrop = std::make_unique<CInsertRowsCommand>(Doc(), IdOf(2));
    Doc().SetBusy(true);
    CDeleteRowsCommand remove(Doc(), {IdOf(1)});
    CMoveRowsCommand move(Doc(), {IdOf(3)}, IdOf(1));
    CChangeOptionsCommand options(Doc());
    ASSERT_TRUE(options.Add(IdOf(2), {}, 0, nullptr));
    for (CDocumentCommand* pCommand : std::vector<CDocumentCommand*>{&remove, &move, &options})
    {
        const CStatus status = pCommand->Redo();
        EXPECT_FALSE(status);
        EXPECT_NE(status.Message().find("converted"), std::string::npos) << status.Message();
    }
    EXPECT_FALSE(pLoad->Undo());
    Expect({1, 2, 3}, "refused while busy");
    ASSERT_TRUE(pDrop->Add(Doc().PlainFileRow("/pictures/8.bmp", "8"), TagPicture(8)));
    ASSERT_TRUE(pDrop->Add(Doc().PlainFileRow("/pictures/9.bmp", "9"), TagPicture(9)));
    Doc().SetBusy(false);
    Expect({1, 8, 9, 2, 3}, "converted pictures in their own place");
    ExpectCycle(*pDrop, {1, 2, 3}, {1, 8, 9, 2, 3});
}

TEST_F(ShowDocumentTest, AStoreThatFailsHalfwayLeavesTheDocumentAsItWas)
{
    const auto pLoad = Insert({1, 2, 3, 4, 5});
    CDeleteRowsCommand remove(Doc(), {IdOf(2), IdOf(4)});
    CMoveRowsCommand move(Doc(), {IdOf(1), IdOf(2)}, 0);
    for (int nFailing = 0; nFailing < 6; ++nFailing)
    {
        m_pOps->Arm({nFailing});
        const bool bDeleted = static_cast<bool>(remove.Redo());
        if (!bDeleted)
        {
            Expect({1, 2, 3, 4, 5}, "delete failed at rename " + std::to_string(nFailing));
        }
        else
        {
            Expect({1, 3, 5}, "deleted");
            m_pOps->Arm({});
            ASSERT_TRUE(remove.Undo());
        }
        m_pOps->Arm({nFailing});
        if (!move.Redo())
            Expect({1, 2, 3, 4, 5}, "move failed at rename " + std::to_string(nFailing));
        else
        {
            m_pOps->Arm({});
            ASSERT_TRUE(move.Undo());
        }
    }
    m_pOps->Arm({});
    Expect({1, 2, 3, 4, 5}, "after every failure");
}

TEST_F(ShowDocumentTest, KeptPicturesGoWithTheirCommand)
{
    const auto pLoad = Insert({1, 2, 3});
    const auto FilesInStore = [this]
    { return std::distance(fs::directory_iterator(Doc().Store()->Folder()), {}); };
    {
        CDeleteRowsCommand remove(Doc(), {IdOf(1), IdOf(3)});
        ASSERT_TRUE(remove.Redo());
        EXPECT_EQ(FilesInStore(), 3) << "the deleted pictures wait for an undo";
    }
    EXPECT_EQ(FilesInStore(), 1) << "and go with the command";
}

// Thousands of commands of every kind, undone and redone at random, against a plain list; the
// store is checked after each.
TEST_F(ShowDocumentTest, RandomCommandsUndoAndRedoAgreeWithAPlainList)
{
    std::mt19937 random(19);
    std::deque<std::unique_ptr<CDocumentCommand>> queDone; // capped as the window's stack is
    std::vector<std::unique_ptr<CDocumentCommand>> vecUndone;
    std::deque<std::vector<int>> queBefore; // the list before each done command
    std::vector<std::vector<int>> vecRedoTo;
    std::vector<int> vecList;
    int nNextTag = 1;
    const auto Pick = [&](int nBelow) { return static_cast<int>(random() % static_cast<unsigned>(nBelow)); };
    for (int nStep = 0; nStep < 3000; ++nStep)
    {
        const int nChoice = Pick(10);
        const int nCount = static_cast<int>(vecList.size());
        if (nChoice < 2 && !queDone.empty())
        {
            ASSERT_TRUE(queDone.back()->Undo());
            vecRedoTo.push_back(vecList);
            vecList = queBefore.back();
            vecUndone.push_back(std::move(queDone.back()));
            queDone.pop_back();
            queBefore.pop_back();
        }
        else if (nChoice < 3 && !vecUndone.empty())
        {
            ASSERT_TRUE(vecUndone.back()->Redo());
            queBefore.push_back(vecList);
            vecList = vecRedoTo.back();
            vecRedoTo.pop_back();
            queDone.push_back(std::move(vecUndone.back()));
            vecUndone.pop_back();
        }
        else
        {
            std::vector<int> vecAfter = vecList;
            std::unique_ptr<CDocumentCommand> pCommand;
            std::vector<int> vecPicked;
            for (int i = 0; i < nCount; ++i)
            {
                if (Pick(3) == 0)
                    vecPicked.push_back(i);
            }
            std::vector<RowId> vecIds;
            for (const int nRow : vecPicked)
                vecIds.push_back(Doc().Row(nRow).m_nId);
            if (nChoice < 6 || nCount == 0)
            {
                const int nAt = Pick(nCount + 1);
                std::vector<int> vecTags(static_cast<size_t>(1 + Pick(3)));
                for (int& nTag : vecTags)
                    nTag = nNextTag++;
                pCommand = Insert(vecTags, nAt < nCount ? Doc().Row(nAt).m_nId : 0);
                vecAfter.insert(vecAfter.begin() + nAt, vecTags.begin(), vecTags.end());
            }
            else if (nChoice < 8)
            {
                pCommand = std::make_unique<CDeleteRowsCommand>(Doc(), vecIds);
                for (size_t i = vecPicked.size(); i-- > 0;)
                    vecAfter.erase(vecAfter.begin() + vecPicked[i]);
            }
            else
            {
                const int nBefore = Pick(nCount + 1);
                pCommand = std::make_unique<CMoveRowsCommand>(
                    Doc(), vecIds, nBefore < nCount ? Doc().Row(nBefore).m_nId : 0);
                vecAfter.clear();
                for (const int nFrom : MovedOrder(nCount, vecPicked, nBefore))
                    vecAfter.push_back(vecList[static_cast<size_t>(nFrom)]);
            }
            if (nChoice >= 6 && nCount > 0)
            {
                ASSERT_TRUE(pCommand->Redo());
            }
            vecUndone.clear();
            vecRedoTo.clear();
            queDone.push_back(std::move(pCommand));
            queBefore.push_back(vecList);
            vecList = std::move(vecAfter);
            if (queDone.size() > 100)
            {
                queDone.pop_front();
                queBefore.pop_front();
            }
        }
        if (Doc().Store() != nullptr)
        {
            ASSERT_NO_FATAL_FAILURE(Expect(vecList, "step " + std::to_string(nStep)));
        }
    }
}

} // namespace
