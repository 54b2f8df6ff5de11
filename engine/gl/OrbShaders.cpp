// The orb program's GLSL: a point or quad per orb, its fragments casting a ray at the exact sphere.
#include "engine/gl/OrbShaders.h"

const char* const kShaderHead = "#version 330 core\n#define CUTS ";

const char* const kOrbVertexShader = R"(
layout(location = 0) in vec4 aCentreRadius;
layout(location = 1) in vec3 aSide;
layout(location = 2) in vec3 aUp;
layout(location = 3) in vec3 aView;
layout(location = 4) in vec3 aAmbient;
layout(location = 5) in vec3 aDiffuse;
layout(location = 6) in vec4 aSpecularShininess;
layout(location = 7) in vec4 aCutA;  // orbs that cut into this one: centre and radius, or radius 0
layout(location = 8) in vec4 aCutB;
layout(location = 9) in vec4 aCutC;

uniform mat4 uView;
uniform mat4 uProj;
uniform vec4 uViewport;  // the frame's corner and size in the drawable, in pixels
uniform vec4 uOrder;     // this frame's depth slice (low, high); tangent lengths from z onwards, w per depth
uniform vec3 uLightDir;
uniform vec3 uLightAmbient;
uniform vec3 uLightDiffuse;
uniform vec3 uLightSpecular;
uniform bool uPoints;    // one point per orb (a square on the screen) instead of a rectangle of two triangles

// The ray through the pixel at window coordinates (x, y), in the orb's own axes:
// x * vRayX + y * vRayY + vRayO. Worked out per pixel, nothing is interpolated.
flat out vec3 vRayX;
flat out vec3 vRayY;
flat out vec3 vRayO;
flat out vec4 vCentre;       // orb centre in its own axes and radii; w: squared distance - 1
flat out vec3 vLight;        // light direction in orb axes
flat out vec4 vHalfwayShine; // halfway vector in orb axes; w: shininess
flat out vec3 vAmbient;
flat out vec3 vDiffuse;
flat out vec3 vSpecular;
flat out vec4 vCutA;         // the orbs cutting into this one in its axes and radii; w: radius^2
flat out vec4 vCutB;
flat out vec4 vCutC;

// A rectangle on the screen around the orb's outline, as a triangle strip; two triangles per orb.
// A rasterizer shades each triangle's edge blocks again, so fewer triangles beat a tighter polygon,
// and a point, one square with no inner edge, beats both where it may be used (DrawScene).
const vec2 kCorners[4] = vec2[4](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 1.0));
const vec4 kCulled = vec4(0.0, 0.0, 2.0, 1.0);

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
    vCentre = vec4(k, dot(k, k) - 1.0);
    vLight = toObject * -uLightDir;
    vAmbient = aAmbient * uLightAmbient;
    vDiffuse = aDiffuse * uLightDiffuse;
    vSpecular = aSpecularShininess.rgb * uLightSpecular;
    vCutA = vec4(toObject * (uView * vec4(aCutA.xyz, 1.0)).xyz / r, aCutA.w * aCutA.w / (r * r));
    vCutB = vec4(toObject * (uView * vec4(aCutB.xyz, 1.0)).xyz / r, aCutB.w * aCutB.w / (r * r));
    vCutC = vec4(toObject * (uView * vec4(aCutC.xyz, 1.0)).xyz / r, aCutC.w * aCutC.w / (r * r));
    // The eye ray of a pixel: its window coordinates back through the viewport and projection.
    vec2 focal = vec2(uProj[0][0], uProj[1][1]);
    vec2 perPixel = 2.0 / (uViewport.zw * focal);
    vRayX = toObject[0] * perPixel.x;
    vRayY = toObject[1] * perPixel.y;
    vRayO = toObject * vec3(-(2.0 * uViewport.xy / uViewport.zw + 1.0) / focal, -1.0);
    float depth = -c.z;
    // An eye inside the orb sees none of its outside, as with culled back faces; an orb wholly
    // behind the eye is not seen either.
    if (d2 <= r * r * 1.0001 || depth <= -r) {
        vHalfwayShine = vec4(0.0, 0.0, 1.0, 1.0);
        gl_Position = kCulled;
        return;
    }
    // An orb spans a degree or two: one halfway vector, towards its centre, serves all its pixels.
    vHalfwayShine = vec4(toObject * normalize(-uLightDir - c * inversesqrt(d2)), max(aSpecularShininess.w, 1.0));
    // The outline's bounds across the screen, each axis apart: the two tangents from the eye in
    // the plane of that axis and the line of sight, tan(centre angle -/+ half the angle the orb
    // spans). An orb reaching behind the eye spreads over the whole frame.
    vec4 box = vec4(-1.0, -1.0, 1.0, 1.0);
    if (depth > r) {
        vec2 centre = c.xy / depth;
        vec2 spread = r * inversesqrt(c.xy * c.xy + depth * depth - r * r);
        vec2 margin = 2.0 / uViewport.zw;  // a pixel: the outline's own pixels are kept whole
        box.xy = focal * (centre - spread) / (1.0 + centre * spread) - margin;
        box.zw = focal * (centre + spread) / (1.0 - centre * spread) + margin;
    }
    // One depth for the whole orb, rising with its tangent length. The plane of equal tangents of
    // two orbs parts them, and the eye is on the side of the orb with the shorter one: so that orb
    // is the nearer along every ray through both, and where two orbs cut into each other, each
    // drawn without the part inside the other (the fragment shader), what is left of it lies on
    // its own side of that plane. The depth test so shows the right orb with no depth written per
    // pixel, which lets it reject hidden pixels before they are shaded.
    float order = clamp(uOrder.x + (sqrt(max(d2 - r * r, 0.0)) - uOrder.z) * uOrder.w, uOrder.x, uOrder.y);
    if (uPoints) {
        // The square around the rectangle: its pixels outside the outline miss the sphere.
        vec2 size = (box.zw - box.xy) * 0.5 * uViewport.zw;
        gl_PointSize = max(size.x, size.y);
        gl_Position = vec4(0.5 * (box.xy + box.zw), 2.0 * order - 1.0, 1.0);
    } else {
        gl_Position = vec4(mix(box.xy, box.zw, kCorners[gl_VertexID & 3]), 2.0 * order - 1.0, 1.0);
    }
}
)";

const char* const kOrbFragmentShader = R"(
flat in vec3 vRayX;
flat in vec3 vRayY;
flat in vec3 vRayO;
flat in vec4 vCentre;
flat in vec3 vLight;
flat in vec4 vHalfwayShine;
flat in vec3 vAmbient;
flat in vec3 vDiffuse;
flat in vec3 vSpecular;
#if CUTS
flat in vec4 vCutA;
flat in vec4 vCutB;
flat in vec4 vCutC;
#endif

uniform sampler2D uTexture;

out vec4 fragColor;

// x^s as Schlick's rational form: the same highlight without log and exp per pixel.
float SchlickPow(float x, float s) { return x / (s - s * x + x); }

void main()
{
    // The ray against the unit sphere in the orb's axes: a t^2 - 2 b t + c = 0, nearer root.
    vec3 q = vRayX * gl_FragCoord.x + vRayY * gl_FragCoord.y + vRayO;
    float a = dot(q, q);
    float b = dot(q, vCentre.xyz);
    float disc = b * b - a * vCentre.w;
    // A miss, or an orb behind the eye along this ray (both roots negative).
    if (disc < 0.0 || b <= 0.0) discard;
    vec3 hit = q * (vCentre.w / (b + sqrt(disc)));
#if CUTS
    // Inside an orb that cuts into this one: that orb's surface shows there. Only the few orbs
    // that are cut pay for the test: they have a program of their own.
    vec3 inA = hit - vCutA.xyz, inB = hit - vCutB.xyz, inC = hit - vCutC.xyz;
    if (dot(inA, inA) < vCutA.w || dot(inB, inB) < vCutB.w || dot(inC, inC) < vCutC.w) discard;
#endif
    vec3 o = hit - vCentre.xyz;

    // The picture is stored folded onto an octahedron (OctahedralPicture): a few adds per pixel
    // instead of two arc functions.
    vec2 fold = o.xz / (abs(o.x) + abs(o.y) + abs(o.z));
    vec2 away = vec2(fold.x >= 0.0 ? 1.0 : -1.0, fold.y >= 0.0 ? 1.0 : -1.0);
    fold = o.y >= 0.0 ? fold : (1.0 - abs(fold.yx)) * away;
    vec3 texel = textureLod(uTexture, fold * 0.5 + 0.5, 0.0).rgb;

    float diffuse = max(dot(o, vLight), 0.0);
    float specular = diffuse > 0.0 ? SchlickPow(max(dot(o, vHalfwayShine.xyz), 0.0), vHalfwayShine.w) : 0.0;
    // The colour buffer is fixed point: the store clamps to 1.
    fragColor = vec4(texel * (vAmbient + vDiffuse * diffuse) + vSpecular * specular, 1.0);
}
)";
