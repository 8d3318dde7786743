#include "UiTexts.h"

#include "platform/Platform.h"
#include "settings/LangTable.h"
#include "settings/ProfileFile.h"
#include "settings/VendaleIni.h"

#include <iterator>
#include <string>
#include <vector>

namespace tramino
{
namespace
{

struct CUiTextEntry
{
    const char* m_szKey;
    const char* m_szEnglish;
};

// In the order of EUiText.
constexpr std::array<CUiTextEntry, static_cast<size_t>(EUiText::Count)> g_arrUiTexts = {{
    {"MenuAbout", "&About Tramino..."},
    {"MenuFastImport", "&Fast JPEG import (scale while decoding)"},
    {"AboutTitle", "About Tramino"},
    {"AboutVersion", "Tramino Version %1"},
    {"AboutPurpose", "Tramino turns pictures into shows for small colour panels: it plays them with a "
                     "transition and writes the .qrv file that the panel shows."},
    {"AboutLibraries", "Running with %1."},
    {"Ok", "OK"},
    {"FilterPictures", "Pictures"},
    {"FilterAllFiles", "All files"},
    {"TipLoadImage", "Add pictures (BMP, JPEG, GIF, PNG) to the end of the show"},
    {"TipPreview", "Play the show once in the preview; press again to stop after the current picture"},
    {"TipTransform", "Write the show into a .qrv file; press again to stop after the current picture"},
    {"TipDelete", "Remove the selected pictures from the show (Delete key)"},
    {"TipUp", "Move the selected picture one place up"},
    {"TipDown", "Move the selected picture one place down"},
    {"TipMode", "The transition each picture comes in with"},
    {"SettingsUnreadable", "%1 cannot be read (%2), so its settings were not used."},
    {"MenuPictureOptions", "P&icture options..."},
    {"OptionsTitle", "Picture options"},
    {"OptionsSeveral", "%1 pictures"},
    {"OptionsFit", "&Fit:"},
    {"OptionsFitChoices",
     "Stretch to the panel|Contain: all of it, background around|Cover: fill the panel, cut the edges"},
    {"OptionsGravity", "&Gravity:"},
    {"OptionsGravityChoices", "Top left|Top|Top right|Left|Centre|Right|Bottom left|Bottom|Bottom right"},
    {"OptionsBackground", "&Background:"},
    {"OptionsChooseColour", "C&hoose..."},
    {"OptionsDither", "&Dither:"},
    {"OptionsDitherChoices", "None|Ordered|Error diffusion"},
    {"OptionsFrames", "GIF f&rames:"},
    {"OptionsFramesChoices", "First frame|All frames"},
    {"OptionsFramesHint", "With all frames, every frame of an animated GIF is a picture of the show, here as "
                          "in tramino-cli build; Split into frames lists them one by one."},
    {"OptionsAutoOrient", "&Turn JPEG photos as the camera recorded (EXIF orientation)"},
    {"OptionsVarious", "(several values: each keeps its own)"},
    {"OptionsDefaults", "&Project defaults"},
    {"OptionsConverting", "Converting pictures again..."},
    {"OptionsFailed", "These pictures could not be converted again and keep their picture and options:"},
    {"OptionsNoSource", "%1: taken from a show file, it has no source picture to convert again"},
    {"MenuOpenProject", "&Open project..."},
    {"MenuSaveProject", "&Save project"},
    {"MenuSaveProjectAs", "Sa&ve project as..."},
    {"FilterProjects", "Tramino projects"},
    {"Untitled", "Untitled"},
    {"AskSaveChanges", "The show %1 has changes that are not saved. Save them first?"},
    {"AskOverwriteChanged", "%1 was changed by another program since it was opened here. Overwrite it "
                            "with the show in this window, losing that change?"},
    {"PicturesNotFound", "These pictures of %1 could not be found and are left out:"},
    {"OtherPanel",
     "%1 is made for a %2 panel, but this window works for %3. Open it at its own panel (the "
     "window switches to %2), or convert its pictures to %3 (saved, the project then keeps %3)?"},
    {"StatusPanel", "Panel %1 × %2"},
    {"StatusPictures", "%1 pictures"},
    {"StatusBytes", "show file %1 bytes"},
    {"StatusWritten", "%1 written: %2 bytes"},
    {"StatusStopped", "%1: %2 of %3 pictures written, %4 bytes"},
    {"StatusPlaying", "Picture %1 of %2"},
    {"FullSpeed", "&Write at full speed"},
    {"TipFullSpeed", "Transform without the animation: each picture is shown once, when it has been written"},
    {"MenuPanelView", "&Panel colours and zoom..."},
    {"MenuPanelSize", "Panel si&ze"},
    {"PanelAsk", "Convert the %1 pictures of the list to a %2 panel? Each is converted again from its "
                 "file, with its own options."},
    {"PanelConverting", "Converting the pictures to %1..."},
    {"PanelFromOld", "These pictures could not be read from their files again, so they were converted "
                     "from their %1 pictures instead:"},
    {"PanelKept", "The panel stays %1."},
    {"PanelViewTitle", "Panel colours and zoom"},
    {"PanelViewPicture", "24-bit picture"},
    {"PanelViewPanel", "On the panel (RGB565)"},
    {"PanelViewZoom", "&Zoom:"},
    {"MenuOpenShow", "Open s&how (.qrv)..."},
    {"FilterShows", "Show files"},
    {"ShowSummary", "%1 is a valid show file: %2 pictures for a %3 × %4 panel."},
    {"ShowPlay", "&Play in the preview"},
    {"ShowAdd", "&Add to the list"},
    {"MenuEdit", "&Edit"},
    {"EditUndo", "&Undo %1"},
    {"EditRedo", "&Redo %1"},
    {"DoLoad", "load %1"},
    {"DoAddFromShow", "add %1 from a show"},
    {"DoDelete", "delete %1"},
    {"DoMove", "move %1"},
    {"DoOptions", "change the options of %1"},
    {"DoTransition", "change the transition"},
    {"DoPanel", "change the panel to %1"},
    {"DoOpen", "open %1"},
    {"DoSplit", "split a GIF into frames"},
    {"DoOutput", "remember the show file"},
    {"MenuSplitFrames", "Spli&t into frames"},
    {"ListFrames", "%1 (%2 frames)"},
    {"ListFrame", "%1 (frame %2)"},
    {"PictureOne", "1 picture"},
    {"PicturesMany", "%1 pictures"},
    {"OptionsColourTitle", "Background colour"},
    {"OtherPanelOwn", "&Open at %1"},
    {"OtherPanelConvert", "&Convert to %1"},
    {"ReasonUnknownFile", "%1: not a picture, a project (.tramino) or a show file (.qrv)"},
    {"ReasonOneProject", "%1: only one project opens at a time"},
    {"MenuLoadImage", "&Load Image..."},
    {"MenuNewProject", "&New project"},
    {"MenuRecent", "&Recent"},
    {"RecentClear", "&Clear"},
    {"DoNew", "new project"},
    {"SettingsNotWritten", "The window's settings cannot be written to %1, so the recent files and the last "
                           "folder will not be kept."},
    {"ReasonNotThere", "%1: there is no such file or folder"},
    {"ReasonNoPermission", "%1: permission denied"},
    {"ReasonNotAFile", "%1: not a regular file"},
    {"ReasonNoSpace", "%1: the disk is full"},
    {"ReasonSystem", "%1: %2"},
    {"ReasonEmpty", "%1: the file is empty"},
    {"ReasonNotAPicture", "%1: not a BMP, JPEG, GIF or PNG picture"},
    {"ReasonTruncated", "%1: the picture is cut short"},
    {"ReasonTooLarge", "%1: the picture of %2 × %3 pixels is too large"},
    {"ReasonNoPixels", "%1: the picture has no pixels"},
    {"ReasonDamaged", "%1: the picture is damaged or of a kind that cannot be read"},
    {"ReasonNotJson", "%1: not a project file"},
    {"ReasonBadValue", "%1: the value at %2 cannot be used"},
    {"ReasonNewFormat", "%1: made by a newer Tramino (format %2); a newer Tramino opens it"},
    {"ReasonNotAShow", "'%1' is not a valid show file for a %2 panel: at byte %3: %4"},
}};

// The English section of the bundled Lang.txt, for a window that has none.
constexpr std::array<const char*, g_nLangTextCount> g_arrEnglishLang = {
    "Picture file",
    "Preview",
    "Slide Show Mode",
    "Panel Size",
    "Load Image",
    "Transform",
    "Delete",
    "Up",
    "Down",
    "Transform completed",
    "Normal",
    "Shutter (left to right)",
    "Shutter (top to bottom)",
    "Circle",
    "Width",
    "Height",
    "Stop",
    "These files could not be loaded:",
    "Loading pictures...",
    "Cancel",
};

CWindowTexts BuiltInTexts()
{
    CWindowTexts texts;
    for (size_t i = 0; i < texts.m_arrLang.size(); ++i)
        texts.m_arrLang[i] = QString::fromUtf8(g_arrEnglishLang[i]);
    for (size_t i = 0; i < texts.m_arrUi.size(); ++i)
        texts.m_arrUi[i] = QString::fromUtf8(g_arrUiTexts[i].m_szEnglish);
    texts.m_bBuiltIn = true;
    return texts;
}

bool CanRead(const std::filesystem::path& path)
{
    // Whatever opens counts, a folder too, as it did with open(2).
    const platform::COpenedFile file = platform::OpenForReading(platform::Utf8FromPath(path));
    if (file.m_hFile >= 0)
        platform::CloseFile(file.m_hFile);
    return file.m_eKind != platform::EFileKind::Missing;
}

} // namespace

const char* UiTextKey(EUiText eText)
{
    return g_arrUiTexts[static_cast<size_t>(eText)].m_szKey;
}

CWindowTexts ReadWindowTexts(const CProfileFile& file, int nLanguageCode)
{
    const std::string_view strSection = LanguageSection(nLanguageCode);
    CWindowTexts texts = BuiltInTexts();
    texts.m_bBuiltIn = false;
    const CLangTable table = CLangTable::Read(file, strSection);
    for (int i = 0; i < g_nLangTextCount; ++i)
        texts.m_arrLang[static_cast<size_t>(i)] = QString::fromStdString(table.Text(i));

    std::vector<std::string> vecKeys;
    vecKeys.reserve(std::size(g_arrUiTexts));
    for (const CUiTextEntry& entry : g_arrUiTexts)
        vecKeys.emplace_back(entry.m_szKey);
    const std::vector<std::string> vecValues = file.GetStrings(strSection, vecKeys);
    for (size_t i = 0; i < vecValues.size(); ++i)
    {
        if (!vecValues[i].empty())
            texts.m_arrUi[i] = QString::fromStdString(vecValues[i]);
    }
    return texts;
}

CWindowTexts LoadWindowTexts(const std::optional<std::filesystem::path>& langFile, int nLanguageCode)
{
    if (!langFile || !CanRead(*langFile))
        return BuiltInTexts();
    return ReadWindowTexts(CProfileFile::Load(*langFile), nLanguageCode);
}

QString QtTranslationName(int nLanguageCode)
{
    const std::string_view strSection = LanguageSection(nLanguageCode);
    if (strSection == "TraditionalChinese")
        return QStringLiteral("zh_TW");
    if (strSection == "SimplifiedChinese")
        return QStringLiteral("zh_CN");
    return {};
}

} // namespace tramino
