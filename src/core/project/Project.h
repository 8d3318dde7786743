#pragma once

#include "common/Status.h"
#include "project/PictureValues.h"
#include "resample/ConvertPicture.h"
#include "settings/PanelSize.h"
#include "show/Transition.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tramino
{

// The version of the project files this program writes; it reads no newer one.
inline constexpr int g_nProjectFormat = 1;

// A file a project names. Its file holds it relative to the project's folder, so that the folder
// can move with its pictures, unless the file gave it absolute.
struct CProjectPath
{
    std::filesystem::path m_path; // absolute
    bool m_bKeepAbsolute = false;

    friend bool operator==(const CProjectPath&, const CProjectPath&) = default;
};

// The panel as the project gives it: a code of the size table or a width and height.
struct CProjectPanel
{
    int m_nCode = 1; // 1 ... 9, or 0 for a size of its own
    CPanelSize m_size = PanelSizeFromCode(1);

    // The table's code for a size it lists, otherwise the size itself.
    static CProjectPanel ForSize(CPanelSize size);

    friend bool operator==(const CProjectPanel&, const CProjectPanel&) = default;
};

struct CProjectPicture
{
    CProjectPath m_path;
    CPictureValues m_overrides; // the options in which this picture differs from the defaults
    // From 1: the picture is that picture of the show file m_path; 0: m_path is a picture file.
    int m_nShowPicture = 0;
    // From 1: only that frame of the animated GIF m_path (a GIF's row split into its frames).
    int m_nFrame = 0;

    friend bool operator==(const CProjectPicture&, const CProjectPicture&) = default;
};

// Whether the picture with these values is every frame of its file: a show's picture or a single
// frame is one picture whatever its frames option says.
bool TakesAllFrames(const CProjectPicture& picture, const CPictureValues& values);

// A show description kept in a *.tramino file: the panel, the transition, the options every
// picture takes unless it says otherwise, the ordered pictures and where the show goes.
struct CProject
{
    CProjectPanel m_panel;
    EEffect m_effect = EEffect::Normal;
    CPictureValues m_defaults = DefaultPictureValues();
    std::vector<CProjectPicture> m_vecPictures;
    std::optional<CProjectPath> m_optOutput;
    // JPEG files decode scaled down (CConvertOptions::m_bFast), as the window's fast import does.
    bool m_bFastImport = false;

    CPictureValues EffectiveValues(size_t nPicture) const
    {
        return EffectivePictureValues(m_defaults, m_vecPictures[nPicture].m_overrides);
    }

    friend bool operator==(const CProject&, const CProject&) = default;
};

// What reading a project does with a picture that is not there.
enum class EMissingPicture
{
    Refuse, // an error, as for every other fault of the file
    Keep,   // kept in the project; the window names it and opens the others
};

// Reads a project file, in time linear in its size. Anything it does not understand (broken JSON,
// an unknown key, a value of the wrong type or out of range, a newer format, a picture that is not
// a regular file) is an error naming the file, the place (line and column, or the key path such as
// pictures[2].fit) and the reason. Relative paths start from the folder of the file a symbolic
// link names. A set *pbStop ends the reading with the message "stopped".
CResult<CProject> LoadProject(const std::string& strPath, EMissingPicture eMissing = EMissingPicture::Refuse,
                              const std::atomic<bool>* pbStop = nullptr);

// "the picture 'PATH' is not there" (or "is not a regular file") unless it is a regular file.
CStatus CheckPictureFile(const std::filesystem::path& path);

// The file's text for a project saved as strPath: fixed key order, two-space indentation, one
// block per picture, a final line feed. Relative paths are made relative to strPath's folder.
CResult<std::string> ProjectText(const CProject& project, const std::string& strPath);

// Writes the project through a temporary file beside strPath, which replaces it only when complete.
// A set *pbStop before the replacing keeps the old file and gives the message "stopped".
CStatus SaveProject(const CProject& project, const std::string& strPath,
                    const std::atomic<bool>* pbStop = nullptr);
// As SaveProject, for a new project: a file another program made under strPath meanwhile is
// kept, and the error says it exists.
CStatus CreateProject(const CProject& project, const std::string& strPath,
                      const std::atomic<bool>* pbStop = nullptr);

// Everything a build of the project needs, paths made absolute.
struct CShowPlanPicture
{
    std::string m_strPath;
    CConvertOptions m_options;
    // Every frame of an animated GIF is a picture of the show, not only the first.
    bool m_bAllFrames = false;
    // From 1: that picture of the show file m_strPath (CProjectPicture::m_nShowPicture).
    int m_nShowPicture = 0;
    // From 1: only that frame of the file (CProjectPicture::m_nFrame).
    int m_nFrame = 0;
};
struct CShowPlan
{
    CPanelSize m_panel;
    EEffect m_effect = EEffect::Normal;
    std::vector<CShowPlanPicture> m_vecPictures;
    std::string m_strOutput; // empty when the project names none
};
CShowPlan PlanShow(const CProject& project);

// The size of the show the plan builds when every picture can be read; the frames of the pictures
// that take them all are counted without decoding them.
CResult<uint64_t> ShowFileSize(const CShowPlan& plan);

} // namespace tramino
