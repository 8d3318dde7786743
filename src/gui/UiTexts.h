#pragma once

#include <QString>

#include <array>
#include <filesystem>
#include <optional>

namespace tramino
{

class CProfileFile;

// The window's own texts beyond TEXT0 ... TEXT19, each under a key of its own in Lang.txt.
enum class EUiText
{
    MenuAbout,
    MenuFastImport,
    AboutTitle,
    AboutVersion, // %1: the version
    AboutPurpose,
    AboutLibraries, // %1: the libraries and their versions
    Ok,
    FilterPictures,
    FilterAllFiles,
    TipLoadImage,
    TipPreview,
    TipTransform,
    TipDelete,
    TipUp,
    TipDown,
    TipMode,
    SettingsUnreadable, // %1: the file, %2: why
    MenuPictureOptions,
    OptionsTitle,
    OptionsSeveral, // %1: the number
    OptionsFit,
    OptionsFitChoices,
    OptionsGravity,
    OptionsGravityChoices,
    OptionsBackground,
    OptionsChooseColour,
    OptionsDither,
    OptionsDitherChoices,
    OptionsFrames,
    OptionsFramesChoices,
    OptionsFramesHint,
    OptionsAutoOrient,
    OptionsVarious,
    OptionsDefaults,
    OptionsConverting,
    OptionsFailed,
    OptionsNoSource, // %1: the picture
    MenuOpenProject,
    MenuSaveProject,
    MenuSaveProjectAs,
    FilterProjects,
    Untitled,
    AskSaveChanges,      // %1: the show
    AskOverwriteChanged, // %1: the project
    PicturesNotFound,    // %1: the project
    OtherPanel,          // %1: the project, %2: its panel, %3: the window's
    StatusPanel,         // %1, %2: width and height
    StatusPictures,      // %1: the number
    StatusBytes,         // %1: the size
    StatusWritten,       // %1: the file, %2: its size
    StatusStopped,       // %1: the file, %2 of %3 pictures, %4: its size
    StatusPlaying,       // %1: the picture shown, %2: of how many
    FullSpeed,
    TipFullSpeed,
    MenuPanelView,
    MenuPanelSize,
    PanelAsk,        // %1: the pictures, %2: the panel
    PanelConverting, // %1: the panel
    PanelFromOld,    // %1: the old panel
    PanelKept,       // %1: the panel
    PanelViewTitle,
    PanelViewPicture,
    PanelViewPanel,
    PanelViewZoom,
    MenuOpenShow,
    FilterShows,
    ShowSummary, // %1: the file, %2: pictures, %3 x %4: the panel
    ShowPlay,
    ShowAdd,
    MenuEdit,
    EditUndo, // %1: what, as Do... says it
    EditRedo,
    DoLoad, // %1: the pictures, as Picture... says them
    DoAddFromShow,
    DoDelete,
    DoMove,
    DoOptions,
    DoTransition,
    DoPanel, // %1: the panel
    DoOpen,  // %1: the project
    DoSplit,
    DoOutput,
    MenuSplitFrames,
    ListFrames, // %1: the file, %2: its frames
    ListFrame,  // %1: the file, %2: which frame
    PictureOne,
    PicturesMany,
    OptionsColourTitle,
    OtherPanelOwn,     // %1: the project's panel
    OtherPanelConvert, // %1: the window's panel
    ReasonUnknownFile,
    ReasonOneProject,
    MenuLoadImage,
    MenuNewProject,
    MenuRecent,
    RecentClear,
    DoNew,
    SettingsNotWritten, // %1: the settings file
    ReasonNotThere,
    ReasonNoPermission,
    ReasonNotAFile,
    ReasonNoSpace,
    ReasonSystem,
    ReasonEmpty,
    ReasonNotAPicture,
    ReasonTruncated,
    ReasonTooLarge,
    ReasonNoPixels,
    ReasonDamaged,
    ReasonNotJson,
    ReasonBadValue,
    ReasonNewFormat,
    ReasonNotAShow,
    Count
};

inline constexpr int g_nLangTextCount = 20;
using LangTexts = std::array<QString, g_nLangTextCount>;

// Everything the window says, in the chosen language.
struct CWindowTexts
{
    LangTexts m_arrLang;                                              // TEXT0 ... TEXT19
    std::array<QString, static_cast<size_t>(EUiText::Count)> m_arrUi; // by EUiText
    // No Lang.txt could be read: every text is the built-in English one.
    bool m_bBuiltIn = false;

    const QString& Text(EUiText eText) const { return m_arrUi[static_cast<size_t>(eText)]; }
    // TEXTn, or the English text for a Lang.txt that lacks the key.
    QString LangOr(int nKey, const char* szEnglish) const
    {
        const QString& str = m_arrLang[static_cast<size_t>(nKey)];
        return str.isEmpty() ? QString::fromUtf8(szEnglish) : str;
    }
};

// The key of a text in Lang.txt ("MenuAbout" ...).
const char* UiTextKey(EUiText eText);

// The texts of the Lang.txt section; its further keys that are missing keep their English text,
// while TEXT0 ... TEXT19 are taken as the file has them (missing ones stay empty).
CWindowTexts ReadWindowTexts(const CProfileFile& file, int nLanguageCode);

// The texts of langFile (where the data file look-up found Lang.txt); without a file, or with one
// that cannot be read, the built-in English texts with m_bBuiltIn set. Never blocks: the file is
// a regular one.
CWindowTexts LoadWindowTexts(const std::optional<std::filesystem::path>& langFile, int nLanguageCode);

// Qt's own translations for the language code: "zh_TW", "zh_CN", or none for English.
QString QtTranslationName(int nLanguageCode);

} // namespace tramino
