#pragma once

#include "common/Status.h"
#include "picture/Picture.h"
#include "settings/PanelSize.h"
#include "store/StoreFileOps.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tramino
{

// The pictures of the show's list, already at the panel size, kept as BMP files in a private
// folder: the picture of list position k is "Qrv<k>.bmp". Every operation keeps the rule
// "the file of position k holds the picture of list item k", so a caller that applies the
// same change to its list after a successful call stays in step with the store.
//
// Each store has its own folder, made with mkdtemp under $TMPDIR (or /tmp) with the name
// "Qrvtemp<pid>-XXXXXX" and mode 0700, so neither another instance nor the leftover of a
// crashed run can be mistaken for ours. Close (or the destructor) removes it with everything
// in it. The store holds a lock on its folder while it is open; Create removes the folders of
// the same user whose process has ended and whose lock nobody holds (a killed run's).
//
// Failures: every mutating call either does all of its work or leaves the store as it was,
// and says which in its result:
//   - OK: done;
//   - an error, IsDamaged() false: nothing changed (a half-done rename sequence was undone);
//   - an error, IsDamaged() true: undoing also failed, so the files may no longer match the
//     list. The message says so; later changes are refused, reading and Close still work.
// A position whose file has vanished behind the store's back simply has no picture: Delete and
// Swap move that absence along with the position, and Read reports it.
//
// Threads: no call mutates while another runs. Read, PathOf and Count are const and may run
// on several worker threads at once while nothing changes the store (the window disables
// the list commands while a worker runs).
class CPictureStore
{
public:
    // Empty pictures of the panel size; strParentDir empty means $TMPDIR, else /tmp.
    static CResult<CPictureStore> Create(CPanelSize panel, const std::string& strParentDir = {},
                                         std::shared_ptr<CStoreFileOps> pFileOps = nullptr);

    CPictureStore(CPictureStore&& other) noexcept;
    CPictureStore& operator=(CPictureStore&& other) noexcept;
    CPictureStore(const CPictureStore&) = delete;
    CPictureStore& operator=(const CPictureStore&) = delete;
    ~CPictureStore();

    int Count() const { return m_nCount; }
    int PanelWidth() const { return m_panel.m_nWidth; }
    int PanelHeight() const { return m_panel.m_nHeight; }
    bool IsOpen() const { return !m_strFolder.empty(); }
    bool IsDamaged() const { return m_bDamaged; }
    const std::string& Folder() const { return m_strFolder; }

    // Folder + "/Qrv<k>.bmp".
    std::string PathOf(int nPosition) const;

    // Stores the picture (of exactly the panel size) at position Count(); on success Count()
    // grows by one and the position is the new one's.
    CStatus Add(const CPicture& picture);

    // Puts the picture (of exactly the panel size) in place of the one at position k: written
    // beside it, then renamed over it, so that position k holds either picture, never a part.
    CStatus Replace(int nPosition, const CPicture& picture);

    // Removes position s; the files behind it move one place down.
    CStatus Delete(int nPosition);

    // Pictures set aside for an undo wait in the folder under names of their own (strKept is
    // one of KeptPath's), so that taking a change back costs no memory and no conversion.
    std::string KeptPath(uint64_t nKey) const;
    // Writes the picture (of exactly the panel size) to strKept.
    CStatus Keep(const CPicture& picture, const std::string& strKept) const;
    // Removes position s as Delete does, but its file waits at strKept.
    CStatus Detach(int nPosition, const std::string& strKept);
    // The file at strKept becomes position s (0 ... Count()); the positions from s on move one
    // place up.
    CStatus Attach(int nPosition, const std::string& strKept);
    // Exchanges the picture of position s with the file at strKept.
    CStatus Exchange(int nPosition, const std::string& strKept);

    // Exchanges positions s and s + 1 through the transit name "-1.bmp" (Up on item s + 1 and
    // Down on item s are both this).
    CStatus SwapWithNext(int nPosition);

    // The picture of position k, checked to be of the panel size.
    CResult<CPicture> Read(int nPosition) const;

    // Removes every file and the folder. The store is closed afterwards even when something
    // could not be removed; the error names it.
    CStatus Close();

private:
    CPictureStore(std::string strFolder, int hLock, CPanelSize panel,
                  std::shared_ptr<CStoreFileOps> pFileOps);

    std::string PathIn(const std::string& strName) const;
    CStatus CheckChangeable() const;
    CStatus CheckPosition(int nPosition, int nLimit) const;
    CStatus CheckPanelSize(const CPicture& picture) const;
    // Renames; a missing source is not an error (bMoved tells whether anything moved).
    CStatus MoveIfPresent(const std::string& strFrom, const std::string& strTo, bool& bMoved);
    // Puts back a file an unfinished change moved; its absence is a failure here.
    CStatus MoveBack(const std::string& strFrom, const std::string& strTo);
    CStatus Undo(const CStatus& failure, const CStatus& undoResult);
    // Delete and Detach: position s goes to strAside, the rest closes up.
    CStatus Remove(int nPosition, const std::string& strAside, bool& bSetAside);
    // Exchanges two files of the folder through the transit name "-1.bmp".
    CStatus ExchangeFiles(const std::string& strFirst, const std::string& strSecond);

    std::string m_strFolder;
    int m_hLock = -1; // the folder, locked
    CPanelSize m_panel;
    int m_nCount = 0;
    bool m_bDamaged = false;
    std::shared_ptr<CStoreFileOps> m_pFileOps;
};

} // namespace tramino
