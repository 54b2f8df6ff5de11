// OpenGL 3.3 core drawing: every orb is one quad whose fragments cast a ray at the exact sphere,
// so silhouettes are round at any size and the cost follows pixels, not triangles.
#include "engine/gl/GlRenderer.h"

#include "engine/gl/Gl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Dib.h"
#include "engine/core/Geometry.h"
#include "engine/core/QLException.h"
#include "engine/core/Scene.h"
#include "engine/core/Shaders.h"

namespace {
const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aCentreRadius;
layout(location = 1) in vec3 aSide;
layout(location = 2) in vec3 aUp;
layout(location = 3) in vec3 aView;
layout(location = 4) in vec3 aAmbient;
layout(location = 5) in vec3 aDiffuse;
layout(location = 6) in vec4 aSpecularShininess;

uniform mat4 uView;
uniform mat4 uProj;
uniform vec2 uDepth;  // window depth = x + y / eye z
uniform vec3 uLightDir;
uniform vec3 uLightAmbient;
uniform vec3 uLightDiffuse;
uniform vec3 uLightSpecular;

// The ray through this pixel in the orb's own axes, in orb radii.
out vec3 vRay;
flat out vec4 vCentre;       // orb centre in its own axes and radii; w: squared distance - 1
flat out vec4 vLightDepth;   // light direction in orb axes; w: depth scale
flat out vec4 vHalfwayShine; // halfway vector in orb axes; w: shininess
flat out vec3 vAmbient;
flat out vec3 vDiffuse;
flat out vec3 vSpecular;

// A square around the unit circle, as a triangle strip; two triangles per orb. A rasterizer
// shades each triangle's edge blocks again, so fewer triangles beat a tighter polygon.
const float kCoverReach = 1.01;
const vec2 kCorners[4] = vec2[4](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));

void main()
{
    vec3 c = (uView * vec4(aCentreRadius.xyz, 1.0)).xyz;
    float r = aCentreRadius.w;
    float d2 = dot(c, c);
    // The orb's axes seen from the eye, made exactly orthonormal so the turn keeps lengths.
    mat3 eyeAxes = mat3(uView);
    // A degenerate frame (zero or parallel axes) still gets some orthonormal axes.
    vec3 ex = eyeAxes * aSide, ey = eyeAxes * aUp;
    vec3 sx = dot(ex, ex) > 1e-12 ? normalize(ex) : vec3(1.0, 0.0, 0.0);
    ey -= sx * dot(sx, ey);
    if (dot(ey, ey) <= 1e-12) ey = cross(sx, abs(sx.x) < 0.9 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 1.0, 0.0));
    vec3 sy = normalize(ey);
    vec3 sz = cross(sx, sy);
    sz = dot(sz, eyeAxes * aView) < 0.0 ? -sz : sz;
    mat3 toObject = transpose(mat3(sx, sy, sz));
    vec3 k = toObject * c / r;
    float centreTerm = dot(k, k) - 1.0;
    vCentre = vec4(k, centreTerm);
    vLightDepth = vec4(toObject * -uLightDir, -uDepth.y / max(centreTerm, 1e-6));
    vAmbient = aAmbient * uLightAmbient;
    vDiffuse = aDiffuse * uLightDiffuse;
    vSpecular = aSpecularShininess.rgb * uLightSpecular;
    // An eye inside the orb sees none of its outside, as with culled back faces.
    if (d2 <= r * r * 1.0001) {
        vRay = vec3(0.0);
        vHalfwayShine = vec4(0.0, 0.0, 1.0, 1.0);
        gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
        return;
    }
    float d = sqrt(d2);
    // An orb spans a degree or two: one halfway vector, towards its centre, serves all its pixels.
    vHalfwayShine = vec4(toObject * normalize(-uLightDir - c / d), max(aSpecularShininess.w, 1.0));
    // A square across the line of sight through the centre, just wide enough for the cone of
    // rays that touch the sphere.
    vec3 axis = c / d;
    vec3 helper = abs(axis.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 u = normalize(cross(helper, axis));
    vec3 v = cross(axis, u);
    float h = r * sqrt(d2 / (d2 - r * r)) * kCoverReach;
    vec2 corner = kCorners[gl_VertexID & 3];
    vec3 p = c + (u * corner.x + v * corner.y) * h;
    vRay = toObject * p / r;
    gl_Position = uProj * vec4(p, 1.0);
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec3 vRay;
flat in vec4 vCentre;
flat in vec4 vLightDepth;
flat in vec4 vHalfwayShine;
flat in vec3 vAmbient;
flat in vec3 vDiffuse;
flat in vec3 vSpecular;

uniform vec2 uDepth;
uniform sampler2D uTexture;

out vec4 fragColor;

// x^s as Schlick's rational form: the same highlight without log and exp per pixel.
float SchlickPow(float x, float s) { return x / (s - s * x + x); }

void main()
{
    // The ray against the unit sphere in the orb's axes: a t^2 - 2 b t + c = 0, nearer root.
    vec3 q = vRay;
    float a = dot(q, q);
    float b = dot(q, vCentre.xyz);
    float disc = b * b - a * vCentre.w;
    if (disc < 0.0) discard;
    float far = b + sqrt(disc);
    vec3 o = q * (vCentre.w / far) - vCentre.xyz;
    // The hit lies at c / far along the ray to the square, whose eye depth is -1 / gl_FragCoord.w
    // (the projection's w is -z): true depth with no division.
    gl_FragDepth = uDepth.x + vLightDepth.w * gl_FragCoord.w * far;

    // The picture is stored folded onto an octahedron (OctahedralPicture): a few adds per pixel
    // instead of two arc functions.
    vec2 fold = o.xz / (abs(o.x) + abs(o.y) + abs(o.z));
    vec2 away = vec2(fold.x >= 0.0 ? 1.0 : -1.0, fold.y >= 0.0 ? 1.0 : -1.0);
    fold = o.y >= 0.0 ? fold : (1.0 - abs(fold.yx)) * away;
    vec3 texel = textureLod(uTexture, fold * 0.5 + 0.5, 0.0).rgb;

    float diffuse = max(dot(o, vLightDepth.xyz), 0.0);
    float specular = diffuse > 0.0 ? SchlickPow(max(dot(o, vHalfwayShine.xyz), 0.0), vHalfwayShine.w) : 0.0;
    // The colour buffer is fixed point: the store clamps to 1.
    fragColor = vec4(texel * (vAmbient + vDiffuse * diffuse) + vSpecular * specular, 1.0);
}
)";

constexpr int kFloatsPerOrb = 23;
// Frames share one depth clear: frame k of a round writes depths only below every earlier frame's,
// in its own slice of the depth range. Clearing the depth buffer costs a software rasterizer a
// seventh of the frame; 2^21 steps per slice still resolve where orbs cut into each other.
constexpr int kDepthSlices = 8;
constexpr int kTextureWidth = 256, kTextureHeight = 128, kOctahedralSize = 128;

struct STexture {
    GLuint name = 0;
    const CDIB* picture = nullptr;
    uint64_t revision = 0;
    int width = 0, height = 0;
    uint64_t lastFrame = 0;
};

struct SOrbRef {
    const C2DTextureShader* texture;
    size_t item;
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

void ToFloatMatrix(const double in[16], float out[16])
{
    // Row-major doubles to the column-major floats GL reads.
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[c * 4 + r] = float(in[r * 4 + c]);
}

GLuint Compile(GLenum kind, const char* source)
{
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
}

struct CGlRenderer::SState {
    bool dirty = true;
    bool built = false;
    GLuint program = 0, instances = 0, white = 0;
    GLint uView = -1, uProj = -1, uDepth = -1, uLightDir = -1, uLightAmbient = -1, uLightDiffuse = -1, uLightSpecular = -1,
          uTexture = -1;
    size_t instanceCapacity = 0;
    std::map<const C2DTextureShader*, STexture> textures;
    std::vector<float> data;
    std::vector<SOrbRef> order;
    uint64_t frame = 0;
    int drawableWidth = 0, drawableHeight = 0;
    int originX = 0, originY = 0;  // where the frame sits inside the drawable
    const void* target = nullptr;
    // What the depth buffer last held: which drawable at which size, and the slice in use.
    const void* depthTarget = nullptr;
    int depthWidth = 0, depthHeight = 0, depthSlice = kDepthSlices;
    bool reported = false;

    void Forget()
    {
        program = instances = white = 0;
        instanceCapacity = 0;
        textures.clear();
        built = false;
        dirty = true;
        depthSlice = kDepthSlices;
    }

    void Release()
    {
        if (built) {
            glDeleteProgram(program);
            glDeleteBuffers(1, &instances);
            glDeleteTextures(1, &white);
            for (auto& [key, t] : textures) glDeleteTextures(1, &t.name);
        }
        Forget();
    }

    void Build()
    {
        GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
        GLuint fs = 0;
        try {
            fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
        } catch (...) {
            glDeleteShader(vs);
            throw;
        }
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
        glDeleteShader(vs);
        glDeleteShader(fs);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            char log[2048] = {};
            glGetProgramInfoLog(program, sizeof log, nullptr, log);
            glDeleteProgram(program);
            program = 0;
            throw CQLException(std::string("orb program: ") + log);
        }
        uView = glGetUniformLocation(program, "uView");
        uProj = glGetUniformLocation(program, "uProj");
        uDepth = glGetUniformLocation(program, "uDepth");
        uLightDir = glGetUniformLocation(program, "uLightDir");
        uLightAmbient = glGetUniformLocation(program, "uLightAmbient");
        uLightDiffuse = glGetUniformLocation(program, "uLightDiffuse");
        uLightSpecular = glGetUniformLocation(program, "uLightSpecular");
        uTexture = glGetUniformLocation(program, "uTexture");

        glGenBuffers(1, &instances);

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

void CGlRenderer::ForgetContext() { m_state->Forget(); }

void CGlRenderer::KillContext() { m_state->dirty = true; }

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
    // A new round of slices, a new drawable or a new size starts from a cleared depth buffer; an
    // unnamed drawable always does.
    if (++s.depthSlice >= kDepthSlices || !s.target || s.target != s.depthTarget || vw != s.depthWidth ||
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

    // Orbs grouped by texture: one instanced draw per group.
    s.order.clear();
    for (size_t i = 0; i < items.size(); ++i) {
        const CShape* shape = items[i].shape;
        if (shape->m_status.isTransientDisable() || !shape->m_pGeometry) continue;
        s.order.push_back({dynamic_cast<const C2DTextureShader*>(shape->GetShader(1)), i});
    }
    std::stable_sort(s.order.begin(), s.order.end(),
                     [](const SOrbRef& a, const SOrbRef& b) { return std::less<>()(a.texture, b.texture); });

    s.data.resize(s.order.size() * kFloatsPerOrb);
    float* f = s.data.data();
    // The eye distances the orbs span, for this frame's depth slice.
    double nearest = HUGE_VAL, farthest = 0.0;
    for (const SOrbRef& ref : s.order) {
        const SDrawItem& item = items[ref.item];
        const SFMatrix& m = item.world;
        const SFVec3f pos = m.GetPosition();
        const SFVec3f side = m.GetSideVector(), up = m.GetUpVector(), vw = m.GetViewVector();
        // The frame may carry scale: the radius grows with it, the texture axes do not.
        const double scale = std::max({side.Length(), up.Length(), vw.Length()});
        const double radius = item.shape->m_pGeometry->BoundingRadius() * (scale > 0 ? scale : 1.0);
        const double away = -(view[8] * pos.x + view[9] * pos.y + view[10] * pos.z + view[11]);
        nearest = std::min(nearest, away - radius);
        farthest = std::max(farthest, away + radius);
        const SFVec3f a = side.Normalized(), b = up.Normalized(), c = vw.Normalized();
        SFVec4f ambient{1, 1, 1, 1}, diffuse{1, 1, 1, 1}, specular{0, 0, 0, 1};
        double shininess = 1.0;
        if (const auto* mat = dynamic_cast<const CMaterialShader*>(item.shape->GetShader(0))) {
            ambient = mat->m_ambient;
            diffuse = mat->m_diffuse;
            specular = mat->m_specular;
            shininess = mat->m_shininess;
        }
        const float values[kFloatsPerOrb] = {
            float(pos.x), float(pos.y), float(pos.z), float(radius),
            float(a.x), float(a.y), float(a.z), float(b.x), float(b.y), float(b.z), float(c.x), float(c.y), float(c.z),
            float(ambient.x), float(ambient.y), float(ambient.z),
            float(diffuse.x), float(diffuse.y), float(diffuse.z),
            float(specular.x), float(specular.y), float(specular.z), float(shininess)};
        std::copy(values, values + kFloatsPerOrb, f);
        f += kFloatsPerOrb;
    }

    glUseProgram(s.program);
    glUniformMatrix4fv(s.uView, 1, GL_FALSE, viewF);
    glUniformMatrix4fv(s.uProj, 1, GL_FALSE, projF);
    // Window depth = x + y / eye z, taking the orbs' distances onto this frame's slice (nearest
    // at its low end); nearer than the near plane is clipped anyway.
    const double zNear = std::max(nearest * 0.99, scene.m_camera.m_near);
    const double zFar = std::max(farthest * 1.01, zNear * 1.001);
    const double gap = 1e-4;
    const double low = 1.0 - double(s.depthSlice + 1) / kDepthSlices + gap, high = 1.0 - double(s.depthSlice) / kDepthSlices - gap;
    const double y = (high - low) / (1.0 / zNear - 1.0 / zFar);
    glUniform2f(s.uDepth, float(low + y / zNear), float(y));
    glUniform3fv(s.uLightDir, 1, lightEye);
    lightColour(light.m_ambient, CLight::kHasAmbient, s.uLightAmbient);
    lightColour(light.m_diffuse, CLight::kHasDiffuse, s.uLightDiffuse);
    lightColour(light.m_specular, CLight::kHasSpecular, s.uLightSpecular);
    glUniform1i(s.uTexture, 0);
    glActiveTexture(GL_TEXTURE0);

    // Vertex arrays are the one kind of GL object that contexts never share, and a window on
    // every monitor draws with a context per monitor: each draw makes its own.
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.instances);
    for (GLuint i = 0; i <= 6; ++i) {
        glEnableVertexAttribArray(i);
        glVertexAttribDivisor(i, 1);
    }
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
    const int sizes[7] = {4, 3, 3, 3, 3, 3, 4};
    size_t first = 0;
    while (first < s.order.size()) {
        size_t last = first;
        while (last < s.order.size() && s.order[last].texture == s.order[first].texture) ++last;
        s.BindTexture(s.order[first].texture);
        size_t offset = first * stride;
        for (GLuint i = 0; i < 7; ++i) {
            glVertexAttribPointer(i, sizes[i], GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
            offset += size_t(sizes[i]) * sizeof(float);
        }
        glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, GLsizei(last - first));
        first = last;
    }
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
    s.PruneTextures();
}
