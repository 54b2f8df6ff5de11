// Universe files in the running program: a checked file put in place of the running universe, the
// running universe captured and written through a temporary file.
#include "storage/UniverseFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "engine/core/FileIO.h"
#include "engine/core/LocalCoordinateSystem.h"
#include "engine/core/QLException.h"
#include "engine/core/Scene.h"
#include "engine/core/Utf8Path.h"
#include "platform/MessageBox.h"
#include "storage/SettingsStore.h"
#include "storage/UniverseLibrary.h"
#include "universe/Orb.h"
#include "universe/OrbScene.h"
#include "universe/UniverseContext.h"
#include "view/AppServices.h"
#include "view/UniverseView.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;

namespace {
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
        if (CUniverseView* view = GetAppServices()->m_pUniverseView) view->m_autoRedraw = false;
    }
    ~CRedrawAfterLoad()
    {
        const CAppServices* app = GetAppServices();
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
    if (e.What() == kUniverseTooLargeText) return e.What();
    // The system's own words: a name too long, no permission, a full disk, a read-only disk.
    if (e.Code()) return "The file could not be written there: " + e.Code().message() + ".";
    return "The file could not be written there.";
}

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
    const fs::path current = PathFromUtf8(GetAppServices()->m_currentUniverse);
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
    // While time stands still the user arranges the orbs: what shows is what is kept.
    const bool shown = g_universeContext.timeStopped;
    // Orbs a group has been given but New has not made yet start where New would put them,
    // drawn from a sequence of the save's own so the running universe replays unchanged.
    uint32_t places = 1;
    for (const COrbGroup& group : groups) {
        SUniverseGroupRecord& rec = f.m_groups.emplace_back();
        rec.m_color = group.m_color;
        if (group.m_pTexture) rec.m_pImage = group.m_pTexture->GetPicture();
        // Each group keeps its own orbs, whatever became of the counts of the others.
        const size_t n = size_t(std::max(group.m_orbCount, 0));
        const size_t first = std::min(size_t(std::max(group.m_firstOrb, 0)), g_orbs.size());
        const size_t own = std::min({size_t(std::max(group.m_builtOrbs, 0)), g_orbs.size() - first, n});
        rec.m_positions.reserve(n);
        for (size_t i = first; i < first + own; ++i) {
            const COrb* orb = g_orbs[i];
            rec.m_positions.push_back(shown ? orb->m_pShape->GetAbsolutePosition() : orb->m_startPosition);
        }
        while (rec.m_positions.size() < n) rec.m_positions.push_back(RandomPlaceInBox(places));
    }
    return f;
}

void ApplyUniverse(SUniverseFile& file, std::vector<COrbGroup>* groups)
{
    CScene* scene = g_universeContext.scene;
    // Refused before anything changes: without the scene's object table no orb can be added.
    if (!scene || !scene->HasSpatialMap() || !g_pOrbRoot) throw CQLException("there is no universe to load into");
    const CAppServices* app = GetAppServices();
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
        const size_t first = g_orbs.size();
        AddGroupOrbs(rec, texture);
        if (replaceGroups && file.m_hasGroups) {
            groups->emplace_back(texture, rec.m_color, int32_t(rec.m_positions.size()));
            groups->back().SetBuiltOrbs(first, g_orbs.size() - first);
        }
    }
    std::memcpy(g_pConstants->Bytes(), file.m_constants.Bytes(), CUniversalConstants::kSize);
    // The count is the orbs', whatever the string carried.
    g_pConstants->m_orbCount = int32_t(g_orbs.size());
    MoveOrbsToStart();
    if (view) view->InvalidateRect(nullptr, false);
}

namespace {
SLoadOutcome ShowFailure(std::vector<std::string> messages)
{
    for (const std::string& text : messages) AfxMessageBox(text, MB_OK);
    return SLoadOutcome::Failure(std::move(messages));
}
}

SLoadOutcome LoadUniverse(const std::string* path, std::vector<COrbGroup>* groups)
{
    CRedrawAfterLoad redraw;
    std::string chosen;
    if (!path) {
        if (!AfxFileDialog(UniverseFileDialogOptions(false), &chosen)) return SLoadOutcome::Cancelled();
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
        return ShowFailure(UniverseLoadMessages(e.m_kind));
    } catch (const std::exception& e) {
        // Not the file's fault (memory, the file system): the same answer for the user.
        std::fprintf(stderr, "%s: %s\n", fullPath.c_str(), e.what());
        std::fflush(stderr);
        return ShowFailure({kUniverseFileLoadFailedText});
    }
    try {
        ApplyUniverse(file, groups);
    } catch (...) {
        std::fprintf(stderr, "%s: cannot be put in place of the running universe\n", fullPath.c_str());
        std::fflush(stderr);
        return ShowFailure({kUniverseFileLoadFailedText});
    }
    GetAppServices()->m_currentUniverse = fullPath;
    if (CSettingsStore* store = GetAppServices()->m_pSettingsStore) store->SetDefaultUniverseFile(fullPath);
    return SLoadOutcome::Done();
}

bool SaveUniverse(const std::vector<COrbGroup>& groups, const std::string* path)
{
    std::string chosen;
    if (!path) {
        if (!AfxFileDialog(UniverseFileDialogOptions(true), &chosen)) return false;
        path = &chosen;
    }
    const std::string fullPath = ResolveUniversePath(*path);
    const CUniverseView* view = GetAppServices()->m_pUniverseView;
    std::string reason;
    try {
        // The save question asked before a read-only file is replaced.
        WriteUniverseFile(fullPath, CaptureUniverse(view ? view->m_camera : nullptr, groups),
                          path == &chosen ? EReadOnlyFiles::kReplace : EReadOnlyFiles::kRefuse);
        // The file now holds the universe in use.
        GetAppServices()->m_currentUniverse = fullPath;
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
