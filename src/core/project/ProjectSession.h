#pragma once

#include "project/Project.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tramino
{

// The show a list of pictures holds, kept as a project: one picture per row in the list's order,
// each with the options it was converted with; the file it belongs to; and whether it differs
// from what that file (or, before any file, the empty list) holds.
class CProjectSession
{
public:
    // A new project without pictures, with nothing to save.
    CProjectSession(CPanelSize panel, EEffect effect);

    const CProject& Project() const { return m_project; }
    // Empty until the project was opened or saved.
    const std::string& Path() const { return m_strPath; }
    bool IsModified() const { return m_project != m_saved; }

    // The list's changes, row for row.
    void Append(CProjectPicture picture);
    // A picture converted with the plain conversion, now at nRow: its overrides undo the
    // project's defaults.
    void InsertPlain(size_t nRow, const std::string& strPath);
    // The picture at nRow, converted again with these values (each set): its overrides follow.
    void SetValues(size_t nRow, const CPictureValues& values);
    void Remove(size_t nRow);
    void SwapWithNext(size_t nRow);
    void SetEffect(EEffect effect) { m_project.m_effect = effect; }
    // The list was converted for another panel.
    void SetPanel(CPanelSize panel);
    // The show file the project builds, written relative to the project's folder.
    void SetOutput(const std::string& strShow);
    void SetFastImport(bool bFast) { m_project.m_bFastImport = bFast; }

    // Starts over with a project read from strPath, for a list of the given panel: nothing is listed
    // yet, and whatever of the file does not come into the list (a picture left out, another
    // panel) is an unsaved change.
    void Begin(const CProject& file, std::string strPath, CPanelSize panel);
    // Whether strPath is the project's file and another program changed it since it was read or
    // last saved here, so that a save would lose that change.
    bool ChangedOnDisk(const std::string& strPath) const;
    // Writes the project to strPath, which it then belongs to; the file locked while it is
    // replaced, as `tramino-cli project add` locks it.
    CStatus Save(const std::string& strPath);

private:
    CProject m_project;
    CProject m_saved;
    std::string m_strPath;
    std::optional<uint64_t> m_optFileDigest; // of the file's bytes as read or written here
};

} // namespace tramino
