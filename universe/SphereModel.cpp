// The orb prototype read from sphere.umf and the built-in orb texture read from orb.bmp.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "engine/core/ModelFile.h"
#include "engine/core/QLException.h"
#include "engine/core/PersistantObject.h"
#include "engine/core/Utf8Path.h"
#include "platform/MessageBox.h"
#include "universe/Orb.h"
#include "universe/OrbScene.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"

namespace {
const char* const kModelMissingText =
    "The Sphere (sphere.umf) geometry file is missing!.  Cannot run without this file.";

std::string InstallPath(const char* file)
{
    return Utf8FromPath(PathFromUtf8(g_universeContext.installDir) / file);
}

// The message boxes keep their fixed texts; standard error says which file is at fault and why.
void ReportFileFault(const std::string& path, const std::string& damage)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(PathFromUtf8(path), ec)) std::fprintf(stderr, "nimbula: %s is missing\n", path.c_str());
    else std::fprintf(stderr, "nimbula: %s is damaged: %s\n", path.c_str(), damage.c_str());
    std::fflush(stderr);
}

// Reads every object of the model file into the default catalog; false (with why in damage) when
// any step fails.
bool ReadModelFile(const std::string& path, std::string& damage)
{
    try {
        CUMF umf;
        umf.Open(path);
        while (umf.LoadObject()) {
        }
        umf.Close();
        return true;
    } catch (const CQLException& e) {
        damage = e.What();
    } catch (const std::exception& e) {
        damage = e.what();
    } catch (...) {
        damage = "unreadable";
    }
    return false;
}

CShape* FindPrototype()
{
    CPersistantObject* found = CPersistantObject::DefaultCatalog()->LookupByName(kKindShape, "sphere2");
    auto* shape = dynamic_cast<CShape*>(found);
    if (!shape || !shape->m_pGeometry || shape->m_pGeometry->m_mesh->indices.empty()) return nullptr;
    return shape;
}

// A soft light grey picture stands in when orb.bmp cannot be read.
COrbImage* PlainImage()
{
    auto* image = new COrbImage(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) image->SetPixel(x, y, 0xFFE8E8E8u);
    return image;
}

COrbImage* LoadOrbImage()
{
    const std::string path = InstallPath("orb.bmp");
    std::string damage = "no picture in it";
    try {
        auto* image = new COrbImage(path);
        if (!image->IsEmpty()) return image;
        delete image;
    } catch (const CQLException& e) {
        damage = e.What();
    } catch (const std::exception& e) {
        damage = e.what();
    } catch (...) {
    }
    ReportFileFault(path, damage);
    AfxMessageBox("The orb texture (" + path + ") is missing or unreadable.\n"
                  "The orbs are drawn in plain grey until it is restored.",
                  MB_OK | MB_ICONWARNING);
    return PlainImage();
}

void MakeBuiltInTexture()
{
    COrbImage* image = LoadOrbImage();
    image->VerticalFlip();
    auto* texture = new COrbTexture(2);
    texture->SetPicture(image);
    texture->ClearCompile();
    texture->m_format = 32;  // bits per pixel of the picture
    AddGroupTexture(texture);
}

// Scales the prototype so that its bounds are kOrbDiameter on every axis.
void NormalisePrototypeSize(CGeometry& geometry)
{
    geometry.LocalVertexMinimax();
    SFVec3f extent = geometry.m_localRegion.Extent();
    if (!(extent.x > 1.0)) extent.x = 1.0;
    if (!(extent.y > 1.0)) extent.y = 1.0;
    if (!(extent.z > 1.0)) extent.z = 1.0;
    geometry.Rescale(SFVec3f(kOrbDiameter, kOrbDiameter, kOrbDiameter) / extent);
    geometry.m_flags |= kGeometryScaled;
}
}

bool LoadSphereModel()
{
    CUniversalConstants& k = *g_pConstants;
    k.m_boundaryMin = {-300.0, -300.0, -200.0};
    k.m_boundaryMax = {300.0, 300.0, 200.0};
    k.m_boundarySize = k.m_boundaryMax - k.m_boundaryMin;

    const std::string path = InstallPath("sphere.umf");
    std::string damage;
    CShape* prototype = ReadModelFile(path, damage) ? FindPrototype() : nullptr;
    if (!prototype) {
        ReportFileFault(path, damage.empty() ? "it holds no orb model named \"sphere2\"" : damage);
        AfxMessageBox(kModelMissingText, MB_OK);
        g_universeContext.fatalExit(-1);
        return false;
    }
    g_pSphereModel = prototype;
    g_pSphereModel->SetShader(nullptr, 0);
    MakeBuiltInTexture();
    NormalisePrototypeSize(*g_pSphereModel->m_pGeometry);
    return true;
}
