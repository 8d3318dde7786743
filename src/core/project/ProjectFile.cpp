#include "project/Project.h"

#include "codec/PictureDecoder.h"
#include "common/ReplacingFile.h"
#include "platform/Platform.h"
#include "project/ProjectJson.h"
#include "project/ShowPictureName.h"

#include <cerrno>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <vector>

namespace tramino
{

namespace
{

namespace fs = std::filesystem;
using Json = CProjectJson;

// A project of a hundred thousand pictures is a few megabytes; anything this large is no project
// and is not read into memory.
constexpr uintmax_t g_nMaxProjectBytes = 64u << 20;

constexpr int g_nMaxLinks = 40; // as the kernel's own limit

// The folder the project's relative paths start from: that of the file itself, its symbolic
// links followed as a save follows them, so that a project reads the same by every name.
fs::path FolderOf(const std::string& strPath)
{
    std::error_code error;
    const fs::path given = platform::PathFromUtf8(strPath);
    const fs::path absolute = fs::absolute(given, error);
    fs::path file = error ? given : absolute;
    for (int nLinks = 0; nLinks < g_nMaxLinks && fs::is_symlink(file, error); ++nLinks)
    {
        const fs::path target = fs::read_symlink(file, error);
        if (error)
            break;
        file = file.parent_path() / target; // an absolute target replaces the folder
    }
    return file.lexically_normal().parent_path();
}

CStatus CheckPictureStatus(const fs::path& path, fs::file_status status)
{
    if (fs::is_regular_file(status))
        return {};
    return CStatus::Error("the picture '" + platform::Utf8FromPath(path) +
                          (fs::exists(status) ? "' is not a regular file" : "' is not there"));
}

// Reads the parsed document into a project, refusing everything it does not expect.
class CProjectReader
{
public:
    CProjectReader(std::string strFile, fs::path folder, EMissingPicture eMissing,
                   const std::atomic<bool>* pbStop)
        : m_strFile(std::move(strFile)), m_folder(std::move(folder)), m_eMissing(eMissing), m_pbStop(pbStop)
    {
    }

    CResult<CProject> Read(const Json& root)
    {
        CProject project;
        if (CStatus status = ReadRoot(root, project); !status)
            return status;
        return project;
    }

    // A value at strPlace that is wrong (the whole file where the place is empty).
    CStatus Fail(const std::string& strPlace, const std::string& strReason, EReason eKind = EReason::BadValue,
                 std::vector<std::string> vecValues = {}) const
    {
        if (eKind == EReason::BadValue)
            vecValues = {strPlace.empty() ? std::string("/") : strPlace};
        return CStatus::Error("Cannot read project '" + m_strFile +
                                  "': " + (strPlace.empty() ? "" : strPlace + ": ") + strReason,
                              {eKind, m_strFile, std::move(vecValues)});
    }

private:
    CStatus ReadRoot(const Json& root, CProject& project)
    {
        // The format first: a newer one may well have keys this program does not know.
        if (CStatus status = CheckType(root, "", Json::value_t::object); !status)
            return status;
        if (CStatus status = ReadFormat(root); !status)
            return status;
        if (CStatus status = CheckObject(
                root, "", {"format", "panel", "transition", "output", "fast", "defaults", "pictures"});
            !status)
            return status;
        if (CStatus status = ReadPanel(Member(root, "panel"), project.m_panel); !status)
            return status;
        if (CStatus status = ReadEffect(Member(root, "transition"), project); !status)
            return status;
        if (root.contains("output"))
        {
            CResult<CProjectPath> output = ReadPath(root["output"], "output");
            if (!output)
                return output.Status();
            project.m_optOutput = output.Value();
        }
        if (root.contains("fast"))
        {
            if (CStatus status = CheckType(root["fast"], "fast", Json::value_t::boolean); !status)
                return status;
            project.m_bFastImport = root["fast"].get<bool>();
        }
        if (root.contains("defaults"))
            if (CStatus status = ReadValues(root["defaults"], "defaults", {}, project.m_defaults); !status)
                return status;
        return ReadPictures(Member(root, "pictures"), project);
    }

    CStatus ReadFormat(const Json& root)
    {
        const Json* pFormat = Member(root, "format");
        if (pFormat == nullptr)
            return Fail("", "the key 'format' is missing");
        CResult<int64_t> nFormat = ReadInteger(*pFormat, "format", 1, INT32_MAX);
        if (!nFormat)
            return nFormat.Status();
        if (nFormat.Value() > g_nProjectFormat)
            return Fail("format",
                        "the file is of format " + std::to_string(nFormat.Value()) +
                            ", newer than this Tramino reads (" + std::to_string(g_nProjectFormat) +
                            "); a newer Tramino opens it",
                        EReason::NewFormat, {std::to_string(nFormat.Value())});
        return {};
    }

    CStatus ReadPanel(const Json* pPanel, CProjectPanel& panel)
    {
        if (pPanel == nullptr)
            return Fail("", "the key 'panel' is missing");
        if (CStatus status = CheckObject(*pPanel, "panel", {"code", "width", "height"}); !status)
            return status;
        if (pPanel->contains("code"))
        {
            if (pPanel->contains("width") || pPanel->contains("height"))
                return Fail("panel", "give either a code or a width and height, not both");
            CResult<int64_t> nCode =
                ReadInteger((*pPanel)["code"], "panel.code", 1, static_cast<int64_t>(g_arrPanelSizes.size()));
            if (!nCode)
                return nCode.Status();
            panel = {static_cast<int>(nCode.Value()), PanelSizeFromCode(static_cast<int>(nCode.Value()))};
            return {};
        }
        if (!pPanel->contains("width") || !pPanel->contains("height"))
            return Fail("panel", "a code, or a width and a height, is needed");
        CResult<int64_t> nWidth = ReadInteger((*pPanel)["width"], "panel.width", 1, g_nMaxPanelSide);
        if (!nWidth)
            return nWidth.Status();
        CResult<int64_t> nHeight = ReadInteger((*pPanel)["height"], "panel.height", 1, g_nMaxPanelSide);
        if (!nHeight)
            return nHeight.Status();
        panel = {0, {static_cast<int>(nWidth.Value()), static_cast<int>(nHeight.Value())}};
        return {};
    }

    CStatus ReadEffect(const Json* pEffect, CProject& project)
    {
        if (pEffect == nullptr)
            return Fail("", "the key 'transition' is missing");
        if (CStatus status = CheckType(*pEffect, "transition", Json::value_t::string); !status)
            return status;
        const std::string& strEffect = pEffect->get_ref<const std::string&>();
        const std::optional<EEffect> effect = SelectEffect(strEffect);
        if (!effect)
            return Fail("transition",
                        QuotedPiece(strEffect) +
                            " is none of Normal, Shutter(Left to Right), Shutter(Top to Bottom), "
                            "Circle");
        const CPanelSize size = project.m_panel.m_size;
        if (!EffectCoversPanel(*effect, size.m_nWidth, size.m_nHeight))
            return Fail("transition", std::string(EffectName(*effect)) + " cannot cover a " +
                                          PanelSizeText(size, ESizeText::Typed) + " panel");
        project.m_effect = *effect;
        return {};
    }

    CStatus ReadPictures(const Json* pPictures, CProject& project)
    {
        if (pPictures == nullptr)
            return Fail("", "the key 'pictures' is missing");
        if (CStatus status = CheckType(*pPictures, "pictures", Json::value_t::array); !status)
            return status;
        for (size_t i = 0; i < pPictures->size(); ++i)
        {
            if (m_pbStop != nullptr && m_pbStop->load(std::memory_order_relaxed))
                return CStatus::Error("stopped");
            const Json& picture = (*pPictures)[i];
            const std::string strPlace = "pictures[" + std::to_string(i) + "]";
            CProjectPicture entry;
            if (CStatus status =
                    ReadValues(picture, strPlace, {"path", "show-picture", "frame"}, entry.m_overrides);
                !status)
                return status;
            const Json* pPath = Member(picture, "path");
            if (pPath == nullptr)
                return Fail(strPlace, "the key 'path' is missing");
            CResult<CProjectPath> path = ReadPath(*pPath, strPlace + ".path");
            if (!path)
                return path.Status();
            fs::file_status file;
            if (CStatus status = ReadShowPicture(picture, strPlace, path.Value(), entry.m_nShowPicture, file);
                !status)
                return status;
            if (CStatus status = ReadFrame(picture, strPlace, entry); !status)
                return status;
            if (m_eMissing == EMissingPicture::Refuse)
                if (CStatus status = CheckPictureStatus(path.Value().m_path, file); !status)
                    return Fail(strPlace + ".path", status.Message());
            entry.m_path = path.Value();
            project.m_vecPictures.push_back(std::move(entry));
        }
        return {};
    }

    // The number of the show's picture a picture is, if it is one. The window once saved such a
    // picture as the path "SHOW.qrv #K", which no file answers to: while the show is there and no
    // file has that very name, that is read as the show's picture it was. Gives the status of the
    // file the path ends at, so that each picture costs at most one look-up.
    CStatus ReadShowPicture(const Json& picture, const std::string& strPlace, CProjectPath& path,
                            int& nShowPicture, fs::file_status& file)
    {
        std::error_code error;
        file = StatusOf(path.m_path);
        if (const Json* pNumber = Member(picture, "show-picture"))
        {
            CResult<int64_t> nNumber = ReadInteger(*pNumber, strPlace + ".show-picture", 1, INT32_MAX);
            if (!nNumber)
                return nNumber.Status();
            nShowPicture = static_cast<int>(nNumber.Value());
            return {};
        }
        if (fs::exists(file))
            return {};
        const std::optional<CShowPictureName> name =
            ParseWindowShowPictureName(platform::Utf8FromPath(path.m_path));
        if (!name)
            return {};
        const fs::path show = platform::PathFromUtf8(name->m_strShow);
        if (const fs::file_status showFile = fs::status(show, error); fs::is_regular_file(showFile))
        {
            path.m_path = show;
            nShowPicture = name->m_nPicture;
            file = showFile;
        }
        return {};
    }

    CStatus ReadFrame(const Json& picture, const std::string& strPlace, CProjectPicture& entry)
    {
        const Json* pNumber = Member(picture, "frame");
        if (pNumber == nullptr)
            return {};
        if (entry.m_nShowPicture != 0)
            return Fail(strPlace + ".frame", "a show's picture has no frames");
        CResult<int64_t> nNumber = ReadInteger(*pNumber, strPlace + ".frame", 1, g_nMaxPictureFrames);
        if (!nNumber)
            return nNumber.Status();
        entry.m_nFrame = static_cast<int>(nNumber.Value());
        return {};
    }

    // A picture repeated to stay longer on the panel is looked up once for its run of rows.
    fs::file_status StatusOf(const fs::path& path)
    {
        if (path.native() != m_lastLookedUp.native())
        {
            std::error_code error;
            m_lastStatus = fs::status(path, error);
            m_lastLookedUp = path;
        }
        return m_lastStatus;
    }

    // The picture options of an object (the defaults or a picture), beside its other keys.
    CStatus ReadValues(const Json& object, const std::string& strPlace,
                       std::initializer_list<std::string_view> others, CPictureValues& values)
    {
        std::vector<std::string_view> vecKeys(others);
        for (const CPictureOptionInfo& info : PictureOptionTable())
            vecKeys.push_back(info.m_strKey);
        if (CStatus status = CheckObject(object, strPlace, vecKeys); !status)
            return status;
        for (const CPictureOptionInfo& info : PictureOptionTable())
        {
            const Json* pValue = Member(object, info.m_strKey);
            if (pValue == nullptr)
                continue;
            const std::string strPlaceOfValue = strPlace + "." + std::string(info.m_strKey);
            const Json::value_t type = info.m_bFlag ? Json::value_t::boolean : Json::value_t::string;
            if (CStatus status = CheckType(*pValue, strPlaceOfValue, type); !status)
                return status;
            CResult<std::string> strValue =
                CanonicalPictureValue(info.m_option, info.m_bFlag ? (pValue->get<bool>() ? "true" : "false")
                                                                  : pValue->get<std::string>());
            if (!strValue)
                return Fail(strPlaceOfValue, strValue.Message());
            values[static_cast<size_t>(info.m_option)] = strValue.Value();
        }
        return {};
    }

    CResult<CProjectPath> ReadPath(const Json& value, const std::string& strPlace)
    {
        if (CStatus status = CheckType(value, strPlace, Json::value_t::string); !status)
            return status;
        const std::string& strPath = value.get_ref<const std::string&>();
        // The system would read the name only up to it.
        if (strPath.find('\0') != std::string::npos)
            return Fail(strPlace, "the path holds a NUL character, which no file name can");
        const fs::path path = platform::PathFromUtf8(strPath);
        if (path.empty())
            return Fail(strPlace, "the path is empty");
        if (path.is_absolute())
            return CProjectPath{path, true};
        return CProjectPath{(m_folder / path).lexically_normal(), false};
    }

    CResult<int64_t> ReadInteger(const Json& value, const std::string& strPlace, int64_t nMin, int64_t nMax)
    {
        if (!value.is_number_integer())
            return Fail(strPlace, std::string("a whole number is needed, not ") + Describe(value));
        const bool bHuge = value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(nMax);
        if (bHuge || value.get<int64_t>() < nMin || value.get<int64_t>() > nMax)
            return Fail(strPlace, value.dump() + " is not from " + std::to_string(nMin) + " to " +
                                      std::to_string(nMax));
        return value.get<int64_t>();
    }

    CStatus CheckObject(const Json& value, const std::string& strPlace,
                        const std::vector<std::string_view>& vecKeys)
    {
        if (CStatus status = CheckType(value, strPlace, Json::value_t::object); !status)
            return status;
        for (const auto& [strKey, member] : value.items())
            if (std::find(vecKeys.begin(), vecKeys.end(), strKey) == vecKeys.end())
            {
                std::string strReason = "unknown key " + QuotedPiece(strKey) + " (known:";
                for (std::string_view strName : vecKeys)
                    strReason.append(strName == vecKeys.front() ? " " : ", ").append(strName);
                return Fail(strPlace, strReason + ")");
            }
        return {};
    }

    CStatus CheckType(const Json& value, const std::string& strPlace, Json::value_t type)
    {
        if (value.type() == type)
            return {};
        const char* szNeeded = type == Json::value_t::object   ? "an object"
                               : type == Json::value_t::array  ? "a list"
                               : type == Json::value_t::string ? "a text"
                                                               : "true or false";
        return Fail(strPlace, std::string(szNeeded) + " is needed, not " + Describe(value));
    }

    static const Json* Member(const Json& object, std::string_view strKey)
    {
        const auto it = object.find(strKey);
        return it == object.end() ? nullptr : &*it;
    }

    static std::string Describe(const Json& value)
    {
        switch (value.type())
        {
        case Json::value_t::object:
            return "an object";
        case Json::value_t::array:
            return "a list";
        case Json::value_t::string:
            return "a text";
        case Json::value_t::boolean:
            return value.dump();
        case Json::value_t::null:
            return "null";
        default:
            return "the number " + value.dump();
        }
    }

    std::string m_strFile;
    fs::path m_folder;
    EMissingPicture m_eMissing;
    const std::atomic<bool>* m_pbStop;
    fs::path m_lastLookedUp;
    fs::file_status m_lastStatus;
};

std::string WrittenPath(const CProjectPath& path, const fs::path& folder)
{
    if (!path.m_bKeepAbsolute)
    {
        const fs::path relative = path.m_path.lexically_normal().lexically_relative(folder);
        if (!relative.empty())
            return platform::Utf8FromPath(relative, true);
    }
    return platform::Utf8FromPath(path.m_path, true);
}

Json ValuesJson(const CPictureValues& values, Json object)
{
    for (const CPictureOptionInfo& info : PictureOptionTable())
        if (const std::optional<std::string>& strValue = values[static_cast<size_t>(info.m_option)])
        {
            if (info.m_bFlag)
                object[info.m_strKey] = *strValue == "true";
            else
                object[info.m_strKey] = *strValue;
        }
    return object;
}

CResult<std::string> ReadProjectText(const std::string& strPath)
{
    std::error_code error;
    const fs::path path = platform::PathFromUtf8(strPath);
    if (fs::is_directory(path, error))
        return ErrnoStatus("read project", strPath, EISDIR);
    if (const uintmax_t nSize = fs::file_size(path, error); !error && nSize > g_nMaxProjectBytes)
        return CStatus::Error("Cannot read project '" + strPath + "': at " + std::to_string(nSize) +
                              " bytes it is far larger than any project");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return ErrnoStatus("read project", strPath, errno != 0 ? errno : ENOENT);
    try
    {
        std::string strText{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (!file.bad())
            return strText;
    }
    catch (const std::ios_base::failure&) // libstdc++ throws on a failed read whatever the stream asked
    {
    }
    return ErrnoStatus("read project", strPath, errno != 0 ? errno : EIO);
}

} // namespace

CStatus CheckPictureFile(const fs::path& path)
{
    std::error_code error;
    return CheckPictureStatus(path, fs::status(path, error));
}

CResult<CProject> LoadProject(const std::string& strPath, EMissingPicture eMissing,
                              const std::atomic<bool>* pbStop)
{
    CResult<std::string> strText = ReadProjectText(strPath);
    if (!strText)
        return strText.Status();
    CProjectReader reader(strPath, FolderOf(strPath), eMissing, pbStop);
    const CResult<Json> root = ParseProjectJson(strText.Value(), pbStop);
    if (!root)
        return root.Message() == "stopped" ? root.Status()
                                           : reader.Fail("", root.Message(), EReason::NotJson);
    return reader.Read(root.Value());
}

CResult<std::string> ProjectText(const CProject& project, const std::string& strPath)
{
    const fs::path folder = FolderOf(strPath);
    Json root;
    root["format"] = g_nProjectFormat;
    if (project.m_panel.m_nCode != 0)
        root["panel"] = {{"code", project.m_panel.m_nCode}};
    else
        root["panel"] = {{"width", project.m_panel.m_size.m_nWidth},
                         {"height", project.m_panel.m_size.m_nHeight}};
    root["transition"] = EffectName(project.m_effect);
    if (project.m_optOutput)
        root["output"] = WrittenPath(*project.m_optOutput, folder);
    if (project.m_bFastImport) // absent, as in every file before it could be given
        root["fast"] = true;
    root["defaults"] = ValuesJson(project.m_defaults, Json::object());
    root["pictures"] = Json::array();
    for (const CProjectPicture& picture : project.m_vecPictures)
    {
        Json entry = {{"path", WrittenPath(picture.m_path, folder)}};
        if (picture.m_nShowPicture != 0)
            entry["show-picture"] = picture.m_nShowPicture;
        if (picture.m_nFrame != 0)
            entry["frame"] = picture.m_nFrame;
        root["pictures"].push_back(ValuesJson(picture.m_overrides, std::move(entry)));
    }
    try
    {
        return root.dump(2) + "\n";
    }
    catch (const nlohmann::json::type_error&)
    {
        return CStatus::Error("Cannot write project '" + strPath + "': a path in it is not valid UTF-8");
    }
}

namespace
{

CStatus WriteProject(const CProject& project, const std::string& strPath, const std::atomic<bool>* pbStop,
                     bool bReplace)
{
    CResult<std::string> strText = ProjectText(project, strPath);
    if (!strText)
        return strText.Status();
    CResult<CReplacingFile> file = CReplacingFile::Open(strPath);
    if (!file)
        return file.Status();
    const std::string& strBytes = strText.Value();
    if (CStatus status =
            file.Value().Write(reinterpret_cast<const uint8_t*>(strBytes.data()), strBytes.size());
        !status)
        return status;
    // The last moment a stop keeps the old file; after the rename the change is done.
    if (pbStop != nullptr && pbStop->load())
        return CStatus::Error("stopped");
    return bReplace ? file.Value().Commit() : file.Value().CommitNew();
}

} // namespace

CStatus SaveProject(const CProject& project, const std::string& strPath, const std::atomic<bool>* pbStop)
{
    return WriteProject(project, strPath, pbStop, true);
}

CStatus CreateProject(const CProject& project, const std::string& strPath, const std::atomic<bool>* pbStop)
{
    return WriteProject(project, strPath, pbStop, false);
}

} // namespace tramino
