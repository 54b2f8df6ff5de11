// OpenGL 3.3 core drawing: every orb is one point or quad whose fragments cast a ray at the exact sphere,
// so silhouettes are round at any size and the cost follows pixels, not triangles.
#include "engine/gl/GlRenderer.h"

#include "engine/gl/Gl.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Dib.h"
#include "engine/core/Geometry.h"
#include "engine/core/QLException.h"
#include "engine/core/Scene.h"
#include "engine/core/ScreenOcclusion.h"
#include "engine/core/Shaders.h"
#include "engine/core/SphereCuts.h"
#include "engine/gl/OrbShaders.h"

namespace {
constexpr int kFloatsPerOrb = 35;
// Orbs cutting into one orb that its drawing knows of; more than this are rare and brief.
constexpr int kCutsPerOrb = 3;
// Frames share one depth clear: frame k of a round writes depths only below every earlier frame's,
// in its own slice of the depth range. Clearing the depth buffer costs a software rasterizer a
// seventh of the frame; 2^21 steps per slice still resolve where orbs cut into each other.
constexpr int kDepthSlices = 8;
// The depth buffer is trusted across frames only while its drawable stands still: for a while after
// a resize the window system may still hand the drawable new buffers of unknown content (Wine does,
// a moment after the window changed), and after a pause nobody knows what happened to them. Depths
// left there would hide every orb of a picture drawn once, such as the preview's.
constexpr std::chrono::milliseconds kDepthSettleTime{1000};
constexpr std::chrono::milliseconds kDepthTrustGap{250};
constexpr int kTextureWidth = 256, kTextureHeight = 128, kOctahedralSize = 128;

struct STexture {
    GLuint name = 0;
    const CDIB* picture = nullptr;
    uint64_t revision = 0;
    int width = 0, height = 0;
    uint64_t lastFrame = 0;
};

// An orb to draw, kept small: at 100,000 orbs every byte here is a tenth of a megabyte. Its centre,
// radius and pixel width are its entry of the frame's cut spheres, its cutters in the cut lists.
struct SOrbRef {
    const C2DTextureShader* texture;
    double key;      // tangent length from the eye: the order of the depth test
    uint32_t item;   // in the frame's draw items
    uint32_t sphere; // in the frame's cut spheres and cut lists
    bool point;      // drawn as one point (FitsAsPoint) rather than two triangles
    uint8_t cuts = 0;
};

// The sphere model's mapping (u around the up axis, v from its +up pole) resampled onto the
// octahedral square the orb shader reads: the same picture on the orb, cheaper per pixel.
std::vector<uint8_t> OctahedralPicture(const CDIB& source, int size)
{
    const int w = source.GetWidth(), h = source.GetHeight();
    const uint8_t* src = source.Pixels();
    std::vector<uint8_t> out(size_t(size) * size * 4);
    for (int row = 0; row < size; ++row) {
        for (int col = 0; col < size; ++col) {
            double fx = (col + 0.5) / size * 2.0 - 1.0, fz = (row + 0.5) / size * 2.0 - 1.0;
            double y = 1.0 - std::abs(fx) - std::abs(fz);
            if (y < 0.0) {
                const double ux = (1.0 - std::abs(fz)) * (fx >= 0.0 ? 1.0 : -1.0);
                const double uz = (1.0 - std::abs(fx)) * (fz >= 0.0 ? 1.0 : -1.0);
                fx = ux;
                fz = uz;
            }
            const double len = std::sqrt(fx * fx + y * y + fz * fz);
            const double u = std::atan2(fz / len, fx / len) / (2.0 * 3.14159265358979), v = std::acos(std::clamp(y / len, -1.0, 1.0)) / 3.14159265358979;
            // Bilinear, wrapping around the up axis and clamped at the poles, as GL sampled it.
            const double sx = u * w - 0.5, sy = std::clamp(v * h - 0.5, 0.0, double(h - 1));
            const int x0 = int(std::floor(sx)), y0 = int(sy);
            const double ax = sx - x0, ay = sy - y0;
            const int xa = ((x0 % w) + w) % w, xb = (xa + 1) % w, ya = y0, yb = std::min(y0 + 1, h - 1);
            uint8_t* dst = &out[(size_t(row) * size + col) * 4];
            for (int ch = 0; ch < 4; ++ch) {
                const double top = src[(size_t(ya) * w + xa) * 4 + ch] * (1 - ax) + src[(size_t(ya) * w + xb) * 4 + ch] * ax;
                const double bottom = src[(size_t(yb) * w + xa) * 4 + ch] * (1 - ax) + src[(size_t(yb) * w + xb) * 4 + ch] * ax;
                dst[ch] = uint8_t(std::lround(top * (1 - ay) + bottom * ay));
            }
        }
    }
    return out;
}

// Notes on each orb the orbs that cut into it (their centres closer than the radii together), at
// most kCutsPerOrb each, the first in x order. Orbs that cut in by less than a pixel (most orbs
// resting in a clump touch so) change no pixel by more than rounding: the test is left out for them.
void FindCuts(std::vector<SOrbRef>& orbs, const std::vector<SCutSphere>& spheres, std::vector<int32_t>& cutters,
              SSphereCutScratch& scratch, const std::vector<uint8_t>& hidden)
{
    FindSphereCuts(spheres, kCutsPerOrb, cutters, scratch, &hidden);
    for (size_t i = 0; i < orbs.size(); ++i) {
        SOrbRef& on = orbs[i];
        while (on.cuts < kCutsPerOrb && cutters[i * kCutsPerOrb + on.cuts] >= 0) ++on.cuts;
    }
}

// Orbs that nearer orbs hide whole change no pixel: they are neither uploaded nor drawn. An orb cut
// into covers for others too: where it is cut away its cutter's surface shows, nearer along that
// ray and so of a smaller key (or cut away itself, for one nearer still), never an orb behind it.
// A nearer orb's depth must be smaller by more than the depth buffer's step in this frame's slice
// and the shader's float rounding of the keys.
void FindHidden(std::vector<SScreenDisc>& discs, int width, int height, double keyHigh, double span,
                std::vector<uint8_t>& hidden, SOcclusionScratch& scratch)
{
    const double margin = std::max(span, 0.0) * std::ldexp(1.0, -14) + keyHigh * 1e-5;
    FindHiddenDiscs(discs, width, height, margin, hidden, scratch);
}

void LeaveOutHidden(std::vector<SOrbRef>& order, const std::vector<uint8_t>& hidden)
{
    size_t kept = 0;
    for (size_t i = 0; i < order.size(); ++i)
        if (!hidden[i]) order[kept++] = order[i];
    order.resize(kept);
}

void ToFloatMatrix(const double in[16], float out[16])
{
    // Row-major doubles to the column-major floats GL reads.
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[c * 4 + r] = float(in[r * 4 + c]);
}

GLuint Compile(GLenum kind, const std::string& text)
{
    const char* source = text.c_str();
    GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        glDeleteShader(s);
        throw CQLException(std::string("orb shader: ") + log);
    }
    return s;
}


struct SOrbProgram {
    GLuint name = 0;
    GLint uView = -1, uProj = -1, uViewport = -1, uOrder = -1, uLightDir = -1, uLightAmbient = -1, uLightDiffuse = -1,
          uLightSpecular = -1, uTexture = -1, uPoints = -1;
};

SOrbProgram LinkOrbProgram(GLuint vs, int cuts)
{
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, std::string(kShaderHead) + std::to_string(cuts) + "\n" + kOrbFragmentShader);
    SOrbProgram p;
    p.name = glCreateProgram();
    glAttachShader(p.name, vs);
    glAttachShader(p.name, fs);
    glLinkProgram(p.name);
    glDetachShader(p.name, vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(p.name, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(p.name, sizeof log, nullptr, log);
        glDeleteProgram(p.name);
        throw CQLException(std::string("orb program: ") + log);
    }
    p.uView = glGetUniformLocation(p.name, "uView");
    p.uProj = glGetUniformLocation(p.name, "uProj");
    p.uViewport = glGetUniformLocation(p.name, "uViewport");
    p.uOrder = glGetUniformLocation(p.name, "uOrder");
    p.uLightDir = glGetUniformLocation(p.name, "uLightDir");
    p.uLightAmbient = glGetUniformLocation(p.name, "uLightAmbient");
    p.uLightDiffuse = glGetUniformLocation(p.name, "uLightDiffuse");
    p.uLightSpecular = glGetUniformLocation(p.name, "uLightSpecular");
    p.uTexture = glGetUniformLocation(p.name, "uTexture");
    p.uPoints = glGetUniformLocation(p.name, "uPoints");
    return p;
}
}

struct CGlRenderer::SState {
    bool dirty = true;
    bool built = false;
    // The orb program without and with the test against orbs cutting into the orb.
    SOrbProgram programs[2];
    GLuint instances = 0, white = 0;
    size_t instanceCapacity = 0;
    double largestPoint = 0.0;  // in pixels
    std::map<const C2DTextureShader*, STexture> textures;
    std::vector<float> data;
    std::vector<SOrbRef> order;
    std::vector<SCutSphere> spheres;
    std::vector<SScreenDisc> discs;  // one per entry of order, until the hidden orbs leave it
    std::vector<uint8_t> hidden;
    SOcclusionScratch occlusion;
    std::vector<int32_t> cutters;
    SSphereCutScratch cutScratch;
    uint64_t frame = 0;
    int drawableWidth = 0, drawableHeight = 0;
    int originX = 0, originY = 0;  // where the frame sits inside the drawable
    const void* target = nullptr;
    // What the depth buffer last held: which drawable at which size, and the slice in use.
    const void* depthTarget = nullptr;
    int depthWidth = 0, depthHeight = 0, depthSlice = kDepthSlices;
    std::chrono::steady_clock::time_point lastFrame, contextKilled;
    bool reported = false;

    void Forget()
    {
        programs[0] = programs[1] = SOrbProgram();
        instances = white = 0;
        instanceCapacity = 0;
        textures.clear();
        built = false;
        dirty = true;
        depthSlice = kDepthSlices;
    }

    void Release()
    {
        if (built) {
            for (const SOrbProgram& p : programs) glDeleteProgram(p.name);
            glDeleteBuffers(1, &instances);
            glDeleteTextures(1, &white);
            for (auto& [key, t] : textures) glDeleteTextures(1, &t.name);
        }
        Forget();
    }

    void Build()
    {
        GLuint vs = Compile(GL_VERTEX_SHADER, std::string(kShaderHead) + "0\n" + kOrbVertexShader);
        try {
            for (int cuts = 0; cuts < 2; ++cuts) programs[cuts] = LinkOrbProgram(vs, cuts);
        } catch (...) {
            glDeleteShader(vs);
            glDeleteProgram(programs[0].name);
            programs[0] = SOrbProgram();
            throw;
        }
        glDeleteShader(vs);

        glGenBuffers(1, &instances);
        GLfloat pointSizes[2] = {1.0f, 1.0f};
        glGetFloatv(GL_POINT_SIZE_RANGE, pointSizes);
        largestPoint = pointSizes[1];

        // Orbs without a texture are drawn with one white texel.
        const uint32_t whitePixel = 0xFFFFFFFFu;
        glGenTextures(1, &white);
        glBindTexture(GL_TEXTURE_2D, white);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &whitePixel);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        built = true;
        dirty = false;
    }

    void BindTexture(const C2DTextureShader* shader)
    {
        const CDIB* pic = shader ? shader->GetPicture() : nullptr;
        if (!pic || pic->IsEmpty()) {
            glBindTexture(GL_TEXTURE_2D, white);
            return;
        }
        STexture& t = textures[shader];
        t.lastFrame = frame;
        if (t.name && t.picture == pic && t.revision == shader->m_revision && t.width == pic->GetWidth() &&
            t.height == pic->GetHeight()) {
            glBindTexture(GL_TEXTURE_2D, t.name);
            return;
        }
        if (!t.name) glGenTextures(1, &t.name);
        glBindTexture(GL_TEXTURE_2D, t.name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        // One level, a little more detail than an orb shows at the usual distance: mip mapping
        // costs a software rasterizer more than the whole rest of the lighting.
        CDIB sized(*pic);
        const int w = std::min(sized.GetWidth(), kTextureWidth), h = std::min(sized.GetHeight(), kTextureHeight);
        if (w != sized.GetWidth() || h != sized.GetHeight()) sized.FPRescale(w, h);
        const std::vector<uint8_t> folded = OctahedralPicture(sized, kOctahedralSize);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kOctahedralSize, kOctahedralSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     folded.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        // The folded square's edges meet their mirror images: clamping joins them without a seam.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        t.picture = pic;
        t.revision = shader->m_revision;
        t.width = pic->GetWidth();
        t.height = pic->GetHeight();
    }

    // Textures whose shader was not drawn this frame may belong to a deleted shader: free them.
    void PruneTextures()
    {
        for (auto it = textures.begin(); it != textures.end();) {
            if (it->second.lastFrame != frame) {
                glDeleteTextures(1, &it->second.name);
                it = textures.erase(it);
            } else {
                ++it;
            }
        }
    }
};

CGlRenderer::CGlRenderer() : m_state(new SState) {}

CGlRenderer::~CGlRenderer() = default;

void CGlRenderer::SetDrawableSize(int width, int height, const void* target, int x, int y)
{
    m_state->target = target;
    m_state->originX = x;
    m_state->originY = y;
    m_state->drawableWidth = width;
    m_state->drawableHeight = height;
}

void CGlRenderer::AbandonContext() { m_state->Forget(); }

void CGlRenderer::KillContext()
{
    m_state->dirty = true;
    m_state->contextKilled = std::chrono::steady_clock::now();
}

void CGlRenderer::DrawScene(const CScene& scene, const std::vector<SDrawItem>& items, int width, int height)
{
    SState& s = *m_state;
    if (s.dirty) {
        s.Release();
        try {
            s.Build();
        } catch (const CQLException& e) {
            // Said once; every frame then drops itself the same way.
            if (!s.reported) std::fprintf(stderr, "nimbula: %s\n", e.What().c_str());
            s.reported = true;
            throw;
        }
    }
    ++s.frame;

    const int vw = s.drawableWidth > 0 ? s.drawableWidth : width;
    const int vh = s.drawableHeight > 0 ? s.drawableHeight : height;
    glViewport(s.originX, s.originY, vw, vh);
    glClearColor(float(scene.m_color.x), float(scene.m_color.y), float(scene.m_color.z), float(scene.m_color.w));
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    // A new round of slices, a new drawable, a new size, a drawable not yet settled or a pause
    // starts from a cleared depth buffer; an unnamed drawable always does.
    const auto now = std::chrono::steady_clock::now();
    const bool untrusted = now - s.lastFrame > kDepthTrustGap || now - s.contextKilled < kDepthSettleTime;
    s.lastFrame = now;
    if (++s.depthSlice >= kDepthSlices || untrusted || !s.target || s.target != s.depthTarget || vw != s.depthWidth ||
        vh != s.depthHeight) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        s.depthSlice = 0;
        s.depthTarget = s.target;
        s.depthWidth = vw;
        s.depthHeight = vh;
    } else {
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (items.empty()) {
        s.PruneTextures();
        return;
    }

    double view[16], proj[16];
    scene.m_camera.ViewMatrix(view);
    scene.m_camera.ProjectionMatrix(double(width) / double(std::max(1, height)), proj);
    float viewF[16], projF[16];
    ToFloatMatrix(view, viewF);
    ToFloatMatrix(proj, projF);

    // The light travels along its frame's view vector; carried into eye axes here.
    const SFVec3f lw = scene.m_light.ComputeTerminalMatrix().GetViewVector().Normalized();
    const float lightEye[3] = {float(view[0] * lw.x + view[1] * lw.y + view[2] * lw.z),
                               float(view[4] * lw.x + view[5] * lw.y + view[6] * lw.z),
                               float(view[8] * lw.x + view[9] * lw.y + view[10] * lw.z)};
    const CLight& light = scene.m_light;
    const bool on = (light.m_flags & CLight::kLightOn) != 0;
    auto lightColour = [&](const SFVec3f& c, uint32_t bit, GLint where) {
        const bool use = on && (light.m_flags & bit);
        glUniform3f(where, use ? float(c.x) : 0.f, use ? float(c.y) : 0.f, use ? float(c.z) : 0.f);
    };

    // Orbs grouped by texture, one instanced draw per group, each group front to back (by
    // tangent length, the order the depth test resolves) so that nearer orbs hide farther ones'
    // pixels before those are shaded.
    s.order.clear();
    s.discs.clear();
    s.spheres.clear();
    double keyLow = HUGE_VAL, keyHigh = 0.0;
    for (size_t i = 0; i < items.size(); ++i) {
        const CShape* shape = items[i].shape;
        if (shape->m_status.isTransientDisable() || !shape->m_pGeometry) continue;
        const SFMatrix& m = items[i].world;
        const SFVec3f pos = m.GetPosition();
        // The frame may carry scale: the radius grows with it, the texture axes do not.
        const double scale = std::max({m.GetSideVector().Length(), m.GetUpVector().Length(), m.GetViewVector().Length()});
        const double radius = shape->m_pGeometry->BoundingRadius() * (scale > 0 ? scale : 1.0);
        double eye[3], eye2 = 0.0;
        for (int row = 0; row < 3; ++row) {
            eye[row] = view[row * 4] * pos.x + view[row * 4 + 1] * pos.y + view[row * 4 + 2] * pos.z + view[row * 4 + 3];
            eye2 += eye[row] * eye[row];
        }
        const double key = std::sqrt(std::max(eye2 - radius * radius, 0.0));
        keyLow = std::min(keyLow, key);
        keyHigh = std::max(keyHigh, key);
        const double pixel = 2.0 * std::sqrt(eye2) / (proj[5] * std::max(vh, 1));
        const bool point = FitsAsPoint(eye, radius, proj, vw, vh, s.largestPoint);
        SScreenDisc& disc = s.discs.emplace_back();
        disc.key = OrbDisc(eye, radius, proj, vw, vh, disc) ? key : NAN;
        s.order.push_back({dynamic_cast<const C2DTextureShader*>(shape->GetShader(1)), key, uint32_t(i),
                           uint32_t(s.spheres.size()), point});
        s.spheres.push_back({pos, radius, pixel});
    }
    // The hidden orbs first: they need no cuts of their own, though they may cut visible ones.
    FindHidden(s.discs, vw, vh, keyHigh, keyHigh - keyLow, s.hidden, s.occlusion);
    FindCuts(s.order, s.spheres, s.cutters, s.cutScratch, s.hidden);
    LeaveOutHidden(s.order, s.hidden);
    std::sort(s.order.begin(), s.order.end(), [](const SOrbRef& a, const SOrbRef& b) {
        if (a.texture != b.texture) return std::less<>()(a.texture, b.texture);
        if ((a.cuts > 0) != (b.cuts > 0)) return b.cuts > 0;
        if (a.point != b.point) return a.point;
        return a.key < b.key;
    });

    s.data.resize(s.order.size() * kFloatsPerOrb);
    float* f = s.data.data();
    for (const SOrbRef& ref : s.order) {
        const SDrawItem& item = items[ref.item];
        const SFMatrix& m = item.world;
        const SFVec3f pos = m.GetPosition();
        const SFVec3f a = m.GetSideVector().Normalized(), b = m.GetUpVector().Normalized(), c = m.GetViewVector().Normalized();
        SFVec4f ambient{1, 1, 1, 1}, diffuse{1, 1, 1, 1}, specular{0, 0, 0, 1};
        double shininess = 1.0;
        if (const auto* mat = dynamic_cast<const CMaterialShader*>(item.shape->GetShader(0))) {
            ambient = mat->m_ambient;
            diffuse = mat->m_diffuse;
            specular = mat->m_specular;
            shininess = mat->m_shininess;
        }
        // Centre and radius of each orb cutting into this one; radius 0 for none.
        float cut[kCutsPerOrb][4] = {};
        for (int k = 0; k < ref.cuts; ++k) {
            const SCutSphere& by = s.spheres[size_t(s.cutters[size_t(ref.sphere) * kCutsPerOrb + size_t(k)])];
            cut[k][0] = float(by.centre.x);
            cut[k][1] = float(by.centre.y);
            cut[k][2] = float(by.centre.z);
            cut[k][3] = float(by.radius);
        }
        const float values[kFloatsPerOrb] = {
            float(pos.x), float(pos.y), float(pos.z), float(s.spheres[ref.sphere].radius),
            float(a.x), float(a.y), float(a.z), float(b.x), float(b.y), float(b.z), float(c.x), float(c.y), float(c.z),
            float(ambient.x), float(ambient.y), float(ambient.z),
            float(diffuse.x), float(diffuse.y), float(diffuse.z),
            float(specular.x), float(specular.y), float(specular.z), float(shininess),
            cut[0][0], cut[0][1], cut[0][2], cut[0][3],
            cut[1][0], cut[1][1], cut[1][2], cut[1][3],
            cut[2][0], cut[2][1], cut[2][2], cut[2][3]};
        std::copy(values, values + kFloatsPerOrb, f);
        f += kFloatsPerOrb;
    }

    // The tangent lengths this frame spans, onto its depth slice (shortest at the low end). A
    // span of at least a thousandth of the longest keeps the float sums in the shader exact
    // enough for the clamp to the slice to change nothing.
    const double gap = 1e-4;
    const double low = 1.0 - double(s.depthSlice + 1) / kDepthSlices + gap, high = 1.0 - double(s.depthSlice) / kDepthSlices - gap;
    const double span = std::max(keyHigh - keyLow, keyHigh * 1e-3 + 1e-9);
    for (const SOrbProgram& p : s.programs) {
        glUseProgram(p.name);
        glUniformMatrix4fv(p.uView, 1, GL_FALSE, viewF);
        glUniformMatrix4fv(p.uProj, 1, GL_FALSE, projF);
        glUniform4f(p.uViewport, float(s.originX), float(s.originY), float(vw), float(vh));
        glUniform4f(p.uOrder, float(low), float(high), float(keyLow), float((high - low) / span));
        glUniform3fv(p.uLightDir, 1, lightEye);
        lightColour(light.m_ambient, CLight::kHasAmbient, p.uLightAmbient);
        lightColour(light.m_diffuse, CLight::kHasDiffuse, p.uLightDiffuse);
        lightColour(light.m_specular, CLight::kHasSpecular, p.uLightSpecular);
        glUniform1i(p.uTexture, 0);
    }
    glActiveTexture(GL_TEXTURE0);

    // Vertex arrays are the one kind of GL object that contexts never share, and a window on
    // every monitor draws with a context per monitor: each draw makes its own.
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.instances);
    for (GLuint i = 0; i <= 9; ++i) glEnableVertexAttribArray(i);
    glEnable(GL_PROGRAM_POINT_SIZE);
    const size_t bytes = s.data.size() * sizeof(float);
    if (bytes > s.instanceCapacity) {
        s.instanceCapacity = std::max(bytes, s.instanceCapacity * 2);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(s.instanceCapacity), nullptr, GL_STREAM_DRAW);
    } else {
        // Orphan last frame's storage so the upload never waits for the GPU.
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(s.instanceCapacity), nullptr, GL_STREAM_DRAW);
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(bytes), s.data.data());

    const GLsizei stride = kFloatsPerOrb * sizeof(float);
    const int sizes[10] = {4, 3, 3, 3, 3, 3, 4, 4, 4, 4};
    size_t first = 0;
    while (first < s.order.size()) {
        size_t last = first;
        const SOrbRef& lead = s.order[first];
        const bool cut = lead.cuts > 0;
        while (last < s.order.size() && s.order[last].texture == lead.texture && (s.order[last].cuts > 0) == cut &&
               s.order[last].point == lead.point)
            ++last;
        const SOrbProgram& program = s.programs[cut];
        glUseProgram(program.name);
        glUniform1i(program.uPoints, lead.point);
        s.BindTexture(lead.texture);
        // A point is one vertex per orb; a rectangle four, from the orb's one instance.
        size_t offset = first * stride;
        for (GLuint i = 0; i < 10; ++i) {
            glVertexAttribPointer(i, sizes[i], GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
            glVertexAttribDivisor(i, lead.point ? 0 : 1);
            offset += size_t(sizes[i]) * sizeof(float);
        }
        if (lead.point)
            glDrawArrays(GL_POINTS, 0, GLsizei(last - first));
        else
            glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, GLsizei(last - first));
        first = last;
    }
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
    s.PruneTextures();
}
