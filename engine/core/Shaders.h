// Shaders a shape carries: its material (slot 0) and a 2D texture (slot 1).
#pragma once

#include <cstdint>
#include <string>

#include "engine/math/SFVec3f.h"

class CDIB;

// Shaders are shared between shapes and counted: the last holder frees them.
class CShader {
public:
    virtual ~CShader() = default;
    void AddRef() { ++m_refs; }
    void Release() { if (--m_refs <= 0) delete this; }
    int RefCount() const { return m_refs; }

private:
    int m_refs = 0;
};

class CMaterialShader : public CShader {
public:
    std::string m_name;
    double m_shininess = 40.0;
    SFVec4f m_ambient{1, 1, 1, 1};
    SFVec4f m_diffuse{1, 1, 1, 1};
    SFVec4f m_specular{1, 1, 1, 1};
    bool m_flag = false;

    CMaterialShader(const std::string& name, double shininess, const SFVec4f& ambient,
                    const SFVec4f& diffuse, const SFVec4f& specular, bool flag)
        : m_name(name), m_shininess(shininess), m_ambient(ambient), m_diffuse(diffuse),
          m_specular(specular), m_flag(flag) {}
    void SetAmbientColor(const SFVec4f& c) { m_ambient = c; }
};

class C2DTextureShader : public CShader {
public:
    explicit C2DTextureShader(int mode) : m_mode(mode) {}
    ~C2DTextureShader() override;
    // Takes ownership of the picture.
    void SetPicture(CDIB* picture);
    CDIB* GetPicture() const { return m_pPicture; }
    // Drops the compiled (GPU) form; the renderer makes it anew from the picture.
    void ClearCompile() { m_revision = NextRevision(); }

    int m_mode = 0;
    int m_format = 0;
    // Changes whenever the compiled form must be remade. Drawn from one counter for every shader,
    // so a new shader at a freed one's address never matches the freed one's compiled form.
    uint64_t m_revision = NextRevision();

private:
    static uint64_t NextRevision();
    CDIB* m_pPicture = nullptr;
};
