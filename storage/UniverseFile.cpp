// Universe files: the stream read whole and checked, then put in place of the running universe;
// the running universe captured and written through a temporary file.
#include "storage/UniverseFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "engine/core/Archive.h"
#include "engine/core/FileIO.h"
#include "engine/core/LocalCoordinateSystem.h"
#include "engine/core/ModelFile.h"
#include "engine/core/PersistantObject.h"
#include "engine/core/QLException.h"
#include "engine/core/Scene.h"
#include "engine/core/Utf8Path.h"
#include "platform/MessageBox.h"
#include "storage/SettingsStore.h"
#include "storage/UniverseLibrary.h"
#include "universe/Orb.h"
#include "universe/OrbScene.h"
#include "universe/UniverseHost.h"
#include "view/UniverseApp.h"
#include "view/UniverseView.h"

namespace fs = std::filesystem;

int g_nextFileID = 0;

namespace {
constexpr size_t kVectorBytes = 24;
constexpr size_t kUniversalStringLength = 708;
const char* const kTooLargeText = "The universe is too large for a universe file.";

// Before every Open and Create the engine learns which file it works on.
void TakeNextFileID() { CPersistantObject::sfCurrentFileID = uint32_t(g_nextFileID++); }

[[noreturn]] void Damaged(const std::string& why) { throw CUniverseFileError(EUniverseFileError::kDamaged, why); }

// A count read from the file, refused unless it lies within 0..max.
int32_t ReadCount(CArchiveReader& ar, int32_t max, const char* what)
{
    const int32_t n = ar.ReadI32();
    if (n < 0 || n > max) Damaged(std::string(what) + " " + std::to_string(n) + " out of range");
    return n;
}

void ReadGroupRecord(CArchiveReader& ar, SUniverseGroupRecord& rec, size_t& orbsSoFar)
{
    rec.m_color = ar.ReadVec3();
    if (ar.ReadI32() != 0) {
        // The image checks its own sides and that its pixels are all there before it allocates.
        rec.m_ownedImage = std::make_unique<CDIB>();
        rec.m_ownedImage->Serialize(ar);
        rec.m_pImage = rec.m_ownedImage.get();
    }
    const int32_t n = ReadCount(ar, int32_t(kMaxOrbs - orbsSoFar), "orb count");
    if (size_t(n) * kVectorBytes > ar.Remaining()) Damaged("orb positions cut short");
    rec.m_positions.resize(size_t(n));
    for (SFVec3f& p : rec.m_positions) p = ar.ReadVec3();
    orbsSoFar += size_t(n);
}

void ReadConstants(CArchiveReader& ar, CUniversalConstants& block)
{
    const int32_t length = ReadCount(ar, kMaxUniversalStringBytes, "universal string length");
    std::string text(size_t(length), '\0');
    ar.ReadBytes(text.data(), text.size());
    // The text ends at its first zero byte, as a C string would.
    text.resize(std::strlen(text.c_str()));
    try {
        block.DecodeUniversalString(text);
    } catch (int code) {
        Damaged(code == 1 ? "universal string has " + std::to_string(text.size()) + " letters, not 708"
                          : "universal string fails its check");
    }
}

bool IsUnit(const SFVec3f& v) { return std::abs(v.Length() - 1.0) < 1e-6; }

// The stored camera frame, made orthonormal again in the order view, up, side.
void PlaceFileCamera(CUniverseView& view, const SUniverseFile& f)
{
    g_pConstants->m_cameraPosition = f.m_cameraPosition;
    g_pConstants->m_cameraView = f.m_cameraView;
    g_pConstants->m_cameraUp = f.m_cameraUp;
    if (CLocalCoordinateSystem* cs = view.m_camera) {
        const SFVec3f& B = f.m_cameraView;
        const SFVec3f& C = f.m_cameraUp;
        const SFVec3f& D = f.m_cameraSide;
        const double length = B.Length();
        const SFVec3f b = (length == 0.0 || length == 1.0) ? B : B * (1.0 / length);
        const SFVec3f c = (C - b * b.DotProduct(C)).Normalized();
        const SFVec3f d = (D - b * b.DotProduct(D) - c * c.DotProduct(D)).Normalized();
        cs->m_position = f.m_cameraPosition;
        if (IsUnit(b) && IsUnit(c) && IsUnit(d)) {
            cs->m_view = b;
            cs->m_up = c;
            cs->m_side = d;
        } else {
            // A frame that cannot be repaired that way (a zero, parallel or overflowing vector):
            // the setters keep what makes a frame, else the start camera's directions stand in.
            cs->SetViewVector(B);
            cs->SetUpVector(C);
            if (!IsUnit(cs->m_view) || !IsUnit(cs->m_up) || !IsUnit(cs->m_side)) {
                const CUniversalConstants defaults;
                cs->m_view = defaults.m_cameraView;
                cs->m_up = defaults.m_cameraUp;
                cs->m_side = cs->m_up.CrossProduct(cs->m_view);
            }
        }
    }
    view.m_followCentre = f.m_cameraPosition;
    view.m_cameraOffset = SFVec3f::kZero;
}

bool InsideUniverseBox(const SFVec3f& p)
{
    const SFVec3f& lo = g_pConstants->m_boundaryMin;
    const SFVec3f& hi = g_pConstants->m_boundaryMax;
    return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z;
}

// The group's texture, made the way the built-in one is; the caller holds one reference.
C2DTextureShader* MakeGroupTexture(SUniverseGroupRecord& rec)
{
    CDIB* picture = rec.m_ownedImage ? rec.m_ownedImage.release() : new CDIB(*rec.m_pImage);
    rec.m_pImage = nullptr;
    auto* texture = new COrbTexture(2);
    texture->AddRef();
    texture->SetPicture(picture);
    texture->ClearCompile();
    texture->m_format = 32;  // bits per pixel of the picture
    return texture;
}

// Drops the loader's own references once the orbs and groups hold theirs.
class CTextureHolds {
public:
    ~CTextureHolds()
    {
        for (C2DTextureShader* t : m_textures) t->Release();
    }
    void Add(C2DTextureShader* t) { m_textures.push_back(t); }

private:
    std::vector<C2DTextureShader*> m_textures;
};

void AddGroupOrbs(const SUniverseGroupRecord& rec, C2DTextureShader* texture)
{
    for (size_t j = 0; j < rec.m_positions.size(); ++j) {
        auto* orb = new COrb(nullptr);
        orb->m_color = rec.m_color;
        try {
            AddOrb(orb);
        } catch (...) {
            delete orb;
            throw;
        }
        if (texture) {
            // Every orb of a group carries the group's texture; the first one is marked as the
            // file's own.
            orb->SetTexture(texture);
            if (j == 0) orb->m_fromFile = 1;
        }
        // A place outside the universe box keeps the orb where AddOrb put it, start included.
        const SFVec3f& p = rec.m_positions[j];
        if (InsideUniverseBox(p) && orb->m_pShape->PlaceAt(p))
            orb->m_startPosition = p;
        else
            orb->m_startPosition = orb->m_position;
    }
}

// Restores the universe window's redrawing however the load ends.
class CRedrawAfterLoad {
public:
    CRedrawAfterLoad()
    {
        if (CUniverseView* view = GetUniverseApp()->m_pUniverseView) view->m_autoRedraw = false;
    }
    ~CRedrawAfterLoad()
    {
        const CUniverseApp* app = GetUniverseApp();
        if (CUniverseView* view = app->m_pUniverseView) {
            view->InvalidateRect(nullptr, false);
            view->m_autoRedraw = !app->m_previewMode;
        }
    }
    CRedrawAfterLoad(const CRedrawAfterLoad&) = delete;
    CRedrawAfterLoad& operator=(const CRedrawAfterLoad&) = delete;
};

// What a person can do something about, rather than the engine's words.
std::string SaveFailureReason(const std::string& path, const CQLException& e)
{
    std::error_code ec;
    const fs::path file = PathFromUtf8(path);
    const fs::path folder = file.parent_path();
    if (!fs::is_directory(folder, ec)) return "The folder " + Utf8FromPath(folder) + " does not exist.";
    if (fs::is_directory(file, ec)) return "A folder of that name is in the way.";
    if (e.What() == kTooLargeText) return e.What();
    // The system's own words: a name too long, no permission, a full disk, a read-only disk.
    if (e.Code()) return "The file could not be written there: " + e.Code().message() + ".";
    return "The file could not be written there.";
}

size_t StreamSize(const SUniverseFile& file)
{
    size_t n = 4 + 4 * kVectorBytes + 4 + 4 + kUniversalStringLength;
    for (const SUniverseGroupRecord& rec : file.m_groups) {
        n += kVectorBytes + 4 + 4 + rec.m_positions.size() * kVectorBytes;
        if (rec.m_pImage && !rec.m_pImage->IsEmpty())
            n += 8 + size_t(rec.m_pImage->GetWidth()) * size_t(rec.m_pImage->GetHeight()) * 4;
    }
    return n;
}
}

std::vector<std::string> UniverseLoadMessages(EUniverseFileError kind)
{
    switch (kind) {
    case EUniverseFileError::kMissing: return {kUniverseFileMissingText, kUniverseFileLoadFailedText};
    case EUniverseFileError::kOldVersion: return {kUniverseFileOldText, kUniverseFileLoadFailedText};
    case EUniverseFileError::kDamaged: break;
    }
    return {kUniverseFileLoadFailedText};
}

std::string UniverseFileErrorLine(const std::string& path, const CUniverseFileError& e)
{
    return FileFailureLine(path, e.m_detail);
}

size_t SUniverseFile::OrbCount() const
{
    size_t n = 0;
    for (const SUniverseGroupRecord& rec : m_groups) n += rec.m_positions.size();
    return n;
}

void ReadUniverseStream(CArchiveReader& ar, SUniverseFile& out)
{
    try {
        const int32_t version = ar.ReadI32();
        if (version != kUniverseFileVersion)
            throw CUniverseFileError(EUniverseFileError::kOldVersion, "version " + std::to_string(version));
        SUniverseFile f;
        f.m_cameraPosition = ar.ReadVec3();
        f.m_cameraView = ar.ReadVec3();
        f.m_cameraUp = ar.ReadVec3();
        f.m_cameraSide = ar.ReadVec3();
        if (!f.m_cameraPosition.IsFinite() || !f.m_cameraView.IsFinite() || !f.m_cameraUp.IsFinite() ||
            !f.m_cameraSide.IsFinite())
            Damaged("camera is not finite");
        const int32_t groups = ar.ReadI32();
        if (groups > kMaxUniverseGroups) Damaged("group count " + std::to_string(groups) + " out of range");
        f.m_hasGroups = groups != 0;
        const int32_t records = groups == 0 ? 1 : std::max(groups, 0);
        size_t orbs = 0;
        f.m_groups.resize(size_t(records));
        for (SUniverseGroupRecord& rec : f.m_groups) ReadGroupRecord(ar, rec, orbs);
        ReadConstants(ar, f.m_constants);
        out = std::move(f);
    } catch (const CQLException& e) {
        Damaged(e.What());
    } catch (const std::bad_alloc&) {
        Damaged("not enough memory");
    }
}

void WriteUniverseStream(CArchiveWriter& ar, const SUniverseFile& file)
{
    ar.WriteI32(kUniverseFileVersion);
    ar.WriteVec3(file.m_cameraPosition);
    ar.WriteVec3(file.m_cameraView);
    ar.WriteVec3(file.m_cameraUp);
    ar.WriteVec3(file.m_cameraSide);
    if (!file.m_hasGroups && file.m_groups.size() != 1)
        throw CQLException("a universe without group definitions has exactly one record");
    // Group definitions without any group can only be said with a negative count.
    const int32_t groups = !file.m_hasGroups ? 0 : file.m_groups.empty() ? -1 : int32_t(file.m_groups.size());
    ar.WriteI32(groups);
    for (const SUniverseGroupRecord& rec : file.m_groups) {
        ar.WriteVec3(rec.m_color);
        const bool textured = rec.m_pImage && !rec.m_pImage->IsEmpty();
        ar.WriteI32(textured ? 1 : 0);
        if (textured) rec.m_pImage->Serialize(ar);
        ar.WriteI32(int32_t(rec.m_positions.size()));
        for (const SFVec3f& p : rec.m_positions) ar.WriteVec3(p);
    }
    const std::string text = file.m_constants.EncodeUniversalString();
    ar.WriteI32(int32_t(text.size()));
    ar.WriteBytes(text.data(), text.size());
}

void ReadUniverseFile(const std::string& path, SUniverseFile& out)
{
    CUMF umf;
    TakeNextFileID();
    try {
        umf.Open(path, kMaxUniverseFileSize);
    } catch (const CQLException& e) {
        throw CUniverseFileError(EUniverseFileError::kMissing, e.What());
    }
    CArchiveReader ar = umf.ReadStream();
    ReadUniverseStream(ar, out);
    umf.Close();
}

void WriteUniverseFile(const std::string& path, const SUniverseFile& file, EReadOnlyFiles readOnly)
{
    // What the loader would refuse is not written either.
    const size_t size = StreamSize(file);
    if (size > kMaxUniverseFileSize - 8 || file.m_groups.size() > size_t(kMaxUniverseGroups) ||
        file.OrbCount() > size_t(kMaxOrbs))
        throw CQLException(kTooLargeText);
    CUMF umf;
    TakeNextFileID();
    umf.Create(path, readOnly);
    CArchiveWriter& ar = umf.WriteStream();
    ar.Reserve(size);
    WriteUniverseStream(ar, file);
    umf.Close();
}

std::string ResolveUniversePath(const std::string& path)
{
    if (!path.empty() && (path.front() == '/' || PathFromUtf8(path).is_absolute())) return path;
    std::error_code ec;
    return Utf8FromPath(fs::current_path(ec) / PathFromUtf8(path));
}

SFileDialogOptions UniverseFileDialogOptions(bool save)
{
    SFileDialogOptions o;
    o.save = save;
    o.filter = "Nimbula Data (*.nmd)|*.nmd|";
    o.defaultExt = "nmd";
    std::error_code ec;
    const fs::path library = UniverseLibraryFolder();
    if (fs::is_directory(library, ec)) o.initialDir = Utf8FromPath(library);
    o.confirmOverwrite = save;
    // Save As offers the file of the universe in use, in its folder (the dialog selects the
    // name, so typing another replaces it).
    const fs::path current = PathFromUtf8(GetUniverseApp()->m_currentUniverse);
    if (save && !current.empty() && fs::is_directory(current.parent_path(), ec)) {
        o.initialDir = Utf8FromPath(current.parent_path());
        o.initialName = Utf8FromPath(current.filename());
    }
    return o;
}

SUniverseFile CaptureUniverse(const CLocalCoordinateSystem* camera, const std::vector<COrbGroup>& groups)
{
    SUniverseFile f;
    if (camera) {
        f.m_cameraPosition = camera->GetAbsolutePosition();
        f.m_cameraView = camera->GetAbsoluteViewpoint();
        f.m_cameraUp = camera->GetAbsoluteUp();
    } else {
        f.m_cameraPosition = g_pConstants->m_cameraPosition;
        f.m_cameraView = g_pConstants->m_cameraView;
        f.m_cameraUp = g_pConstants->m_cameraUp;
    }
    f.m_cameraSide = f.m_cameraUp.CrossProduct(f.m_cameraView);
    f.m_constants = *g_pConstants;

    if (groups.empty()) {
        f.m_hasGroups = false;
        SUniverseGroupRecord& rec = f.m_groups.emplace_back();
        rec.m_color = {1.0, 1.0, 1.0};
        if (!g_groupTextures.empty() && g_groupTextures[0]) rec.m_pImage = g_groupTextures[0]->GetPicture();
        rec.m_positions.reserve(g_orbs.size());
        for (const COrb* orb : g_orbs) rec.m_positions.push_back(orb->m_pShape->GetAbsolutePosition());
        return f;
    }
    f.m_hasGroups = true;
    size_t k = 0;
    for (const COrbGroup& group : groups) {
        SUniverseGroupRecord& rec = f.m_groups.emplace_back();
        rec.m_color = group.m_color;
        if (group.m_pTexture) rec.m_pImage = group.m_pTexture->GetPicture();
        // Counts follow the orbs that exist, so the file always holds what it says.
        const size_t n = std::min(size_t(std::max(group.m_orbCount, 0)), g_orbs.size() - k);
        rec.m_positions.reserve(n);
        for (size_t i = 0; i < n; ++i) rec.m_positions.push_back(g_orbs[k++]->m_startPosition);
    }
    return f;
}

void ApplyUniverse(SUniverseFile& file, std::vector<COrbGroup>* groups)
{
    CScene* scene = g_universeHost.scene;
    // Refused before anything changes: without the scene's object table no orb can be added.
    if (!scene || !scene->HasSpatialMap() || !g_pOrbRoot) throw CQLException("there is no universe to load into");
    const CUniverseApp* app = GetUniverseApp();
    CUniverseView* view = app->m_pUniverseView;

    DeleteAllOrbs();
    if (view) {
        view->InvalidateRect(nullptr, false);
        PlaceFileCamera(*view, file);
    }
    // The frame's group definitions become the file's (none for a file without them): Save then
    // writes the universe on screen, not old groups filled with the new orbs.
    const bool replaceGroups = groups && app->m_editingMode;
    if (replaceGroups) groups->clear();
    CTextureHolds holds;
    for (SUniverseGroupRecord& rec : file.m_groups) {
        C2DTextureShader* texture = nullptr;
        if (rec.m_pImage && !rec.m_pImage->IsEmpty()) {
            texture = MakeGroupTexture(rec);
            holds.Add(texture);
        }
        AddGroupOrbs(rec, texture);
        if (replaceGroups && file.m_hasGroups) groups->emplace_back(texture, rec.m_color, int32_t(rec.m_positions.size()));
    }
    std::memcpy(g_pConstants->Bytes(), file.m_constants.Bytes(), CUniversalConstants::kSize);
    // The count is the orbs', whatever the string carried.
    g_pConstants->m_orbCount = int32_t(g_orbs.size());
    MoveOrbsToStart();
    if (view) view->InvalidateRect(nullptr, false);
}

bool LoadUniverse(const std::string* path, std::vector<COrbGroup>* groups)
{
    CRedrawAfterLoad redraw;
    std::string chosen;
    if (!path) {
        if (!AfxFileDialog(UniverseFileDialogOptions(false), &chosen)) return false;
        path = &chosen;
    }
    const std::string fullPath = ResolveUniversePath(*path);

    SUniverseFile file;
    try {
        ReadUniverseFile(fullPath, file);
    } catch (const CUniverseFileError& e) {
        // The reason first: it is in the log before anything waits for the user.
        std::fprintf(stderr, "%s\n", UniverseFileErrorLine(fullPath, e).c_str());
        std::fflush(stderr);
        for (const std::string& text : UniverseLoadMessages(e.m_kind)) AfxMessageBox(text, MB_OK);
        throw 0;
    }
    try {
        ApplyUniverse(file, groups);
    } catch (...) {
        std::fprintf(stderr, "%s: cannot be put in place of the running universe\n", fullPath.c_str());
        std::fflush(stderr);
        AfxMessageBox(kUniverseFileLoadFailedText, MB_OK);
        throw 0;
    }
    GetUniverseApp()->m_currentUniverse = fullPath;
    if (CSettingsStore* store = GetUniverseApp()->m_pSettingsStore) store->SetDefaultUniverseFile(fullPath);
    return true;
}

bool SaveUniverse(const std::vector<COrbGroup>& groups, const std::string* path)
{
    std::string chosen;
    if (!path) {
        if (!AfxFileDialog(UniverseFileDialogOptions(true), &chosen)) return false;
        path = &chosen;
    }
    const std::string fullPath = ResolveUniversePath(*path);
    const CUniverseView* view = GetUniverseApp()->m_pUniverseView;
    std::string reason;
    try {
        // The save question asked before a read-only file is replaced.
        WriteUniverseFile(fullPath, CaptureUniverse(view ? view->m_camera : nullptr, groups),
                          path == &chosen ? EReadOnlyFiles::kReplace : EReadOnlyFiles::kRefuse);
        // The file now holds the universe in use.
        GetUniverseApp()->m_currentUniverse = fullPath;
        return true;
    } catch (const CQLException& e) {
        reason = SaveFailureReason(fullPath, e);
    } catch (const std::bad_alloc&) {
        reason = "There is not enough memory.";
    }
    AfxMessageBox("Could not save the universe to " + fullPath + ".\n" + reason +
                      "\nA file already there is left as it was.",
                  MB_OK | MB_ICONWARNING);
    return false;
}
