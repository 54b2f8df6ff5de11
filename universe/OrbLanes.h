// Two orbs' vector arithmetic side by side: lane for lane the very operations of OrbMath.h.
// IEEE add, subtract, multiply, divide and square root are correctly rounded, so a packed SSE2
// operation gives each lane exactly the scalar result; two dependent chains then cost one.
// Without SSE2 the same functions work lane by lane in plain C++.
#pragma once

#include <cmath>

#include "engine/core/LocalCoordinateSystem.h"
#include "engine/math/SFVec3f.h"
#include "universe/OrbMath.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define NIMBULA_ORB_LANES_SSE2 1
#else
#define NIMBULA_ORB_LANES_SSE2 0
#endif

namespace orbmath {

#if NIMBULA_ORB_LANES_SSE2
// Two doubles: lane 0 and lane 1.
struct SLanes {
    __m128d m;
};
// Per lane: all bits set (true) or clear (false).
struct SLaneMask {
    __m128d m;
};

inline SLanes Lanes(double lane0, double lane1) { return {_mm_set_pd(lane1, lane0)}; }
inline SLanes Splat(double v) { return {_mm_set1_pd(v)}; }
inline double Lane0(SLanes v) { return _mm_cvtsd_f64(v.m); }
inline double Lane1(SLanes v) { return _mm_cvtsd_f64(_mm_unpackhi_pd(v.m, v.m)); }

inline SLanes operator+(SLanes a, SLanes b) { return {_mm_add_pd(a.m, b.m)}; }
inline SLanes operator-(SLanes a, SLanes b) { return {_mm_sub_pd(a.m, b.m)}; }
inline SLanes operator*(SLanes a, SLanes b) { return {_mm_mul_pd(a.m, b.m)}; }
inline SLanes operator/(SLanes a, SLanes b) { return {_mm_div_pd(a.m, b.m)}; }
// Flips the sign bit, as scalar negation does (NaN and zero included).
inline SLanes operator-(SLanes a) { return {_mm_xor_pd(a.m, _mm_set1_pd(-0.0))}; }
inline SLanes Sqrt(SLanes a) { return {_mm_sqrt_pd(a.m)}; }

// a != b per lane: true for NaN, like the scalar operator.
inline SLaneMask NotEqual(SLanes a, SLanes b) { return {_mm_cmpneq_pd(a.m, b.m)}; }
// a > b per lane: false for NaN, like the scalar operator.
inline SLaneMask Greater(SLanes a, SLanes b) { return {_mm_cmpgt_pd(a.m, b.m)}; }
inline SLaneMask operator&(SLaneMask a, SLaneMask b) { return {_mm_and_pd(a.m, b.m)}; }
inline SLaneMask operator|(SLaneMask a, SLaneMask b) { return {_mm_or_pd(a.m, b.m)}; }
inline bool Lane0(SLaneMask m) { return (_mm_movemask_pd(m.m) & 1) != 0; }
inline bool Lane1(SLaneMask m) { return (_mm_movemask_pd(m.m) & 2) != 0; }
inline SLaneMask LaneMask(bool lane0, bool lane1)
{
    return {_mm_castsi128_pd(_mm_set_epi64x(lane1 ? -1 : 0, lane0 ? -1 : 0))};
}
// Per lane: ifTrue where the mask is set, else ifFalse.
inline SLanes Select(SLaneMask m, SLanes ifTrue, SLanes ifFalse)
{
    return {_mm_or_pd(_mm_and_pd(m.m, ifTrue.m), _mm_andnot_pd(m.m, ifFalse.m))};
}
#else
struct SLanes {
    double v[2];
};
struct SLaneMask {
    bool v[2];
};

inline SLanes Lanes(double lane0, double lane1) { return {{lane0, lane1}}; }
inline SLanes Splat(double v) { return {{v, v}}; }
inline double Lane0(SLanes v) { return v.v[0]; }
inline double Lane1(SLanes v) { return v.v[1]; }

inline SLanes operator+(SLanes a, SLanes b) { return {{a.v[0] + b.v[0], a.v[1] + b.v[1]}}; }
inline SLanes operator-(SLanes a, SLanes b) { return {{a.v[0] - b.v[0], a.v[1] - b.v[1]}}; }
inline SLanes operator*(SLanes a, SLanes b) { return {{a.v[0] * b.v[0], a.v[1] * b.v[1]}}; }
inline SLanes operator/(SLanes a, SLanes b) { return {{a.v[0] / b.v[0], a.v[1] / b.v[1]}}; }
inline SLanes operator-(SLanes a) { return {{-a.v[0], -a.v[1]}}; }
inline SLanes Sqrt(SLanes a) { return {{std::sqrt(a.v[0]), std::sqrt(a.v[1])}}; }

inline SLaneMask NotEqual(SLanes a, SLanes b) { return {{a.v[0] != b.v[0], a.v[1] != b.v[1]}}; }
inline SLaneMask Greater(SLanes a, SLanes b) { return {{a.v[0] > b.v[0], a.v[1] > b.v[1]}}; }
inline SLaneMask operator&(SLaneMask a, SLaneMask b) { return {{a.v[0] && b.v[0], a.v[1] && b.v[1]}}; }
inline SLaneMask operator|(SLaneMask a, SLaneMask b) { return {{a.v[0] || b.v[0], a.v[1] || b.v[1]}}; }
inline bool Lane0(SLaneMask m) { return m.v[0]; }
inline bool Lane1(SLaneMask m) { return m.v[1]; }
inline SLaneMask LaneMask(bool lane0, bool lane1) { return {{lane0, lane1}}; }
inline SLanes Select(SLaneMask m, SLanes ifTrue, SLanes ifFalse)
{
    return {{m.v[0] ? ifTrue.v[0] : ifFalse.v[0], m.v[1] ? ifTrue.v[1] : ifFalse.v[1]}};
}
#endif

struct SCosSin {
    double c, s;
};

// Out of line so GCC always joins the pair into one sincos call (the same bits, half the cost);
// inlined into a large caller, some of its paths kept two separate calls.
[[gnu::noinline]] inline SCosSin CosSin(double angle) { return {std::cos(angle), std::sin(angle)}; }

// Two vectors: lane 0 holds one, lane 1 the other.
struct SLaneVec {
    SLanes x, y, z;
};

inline SLaneVec LaneVec(const SFVec3f& lane0, const SFVec3f& lane1)
{
    return {Lanes(lane0.x, lane1.x), Lanes(lane0.y, lane1.y), Lanes(lane0.z, lane1.z)};
}
inline SFVec3f Lane0(const SLaneVec& v) { return {Lane0(v.x), Lane0(v.y), Lane0(v.z)}; }
inline SFVec3f Lane1(const SLaneVec& v) { return {Lane1(v.x), Lane1(v.y), Lane1(v.z)}; }
// Lane 0 or 1.
inline SFVec3f Lane(const SLaneVec& v, int lane) { return lane == 0 ? Lane0(v) : Lane1(v); }
inline bool Lane(SLaneMask m, int lane) { return lane == 0 ? Lane0(m) : Lane1(m); }

inline SLaneVec operator+(const SLaneVec& a, const SLaneVec& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline SLaneVec operator*(const SLaneVec& a, SLanes s) { return {a.x * s, a.y * s, a.z * s}; }
inline SLaneVec operator-(const SLaneVec& a) { return {-a.x, -a.y, -a.z}; }
inline SLaneVec Select(SLaneMask m, const SLaneVec& ifTrue, const SLaneVec& ifFalse)
{
    return {Select(m, ifTrue.x, ifFalse.x), Select(m, ifTrue.y, ifFalse.y), Select(m, ifTrue.z, ifFalse.z)};
}

// The SFVec3f formulas, term for term.
inline SLanes Magnitude(const SLaneVec& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }
inline SLanes Dot(const SLaneVec& a, const SLaneVec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline SLaneVec Cross(const SLaneVec& a, const SLaneVec& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// v != 0 per lane: some component differs from zero (or is NaN).
inline SLaneMask NonZero(const SLaneVec& v)
{
    const SLanes zero = Splat(0.0);
    return NotEqual(v.x, zero) | NotEqual(v.y, zero) | NotEqual(v.z, zero);
}

// Normalized per lane: lengths 0 and exactly 1 are left alone.
inline SLaneVec Normalized(const SLaneVec& v)
{
    const SLanes len = Sqrt(Magnitude(v));
    const SLaneMask scale = NotEqual(len, Splat(0.0)) & NotEqual(len, Splat(1.0));
    const SLanes inv = Splat(1.0) / len;
    return Select(scale, v * inv, v);
}

// Rotate per lane, with each lane's cosine and sine.
inline SLaneVec Rotate(const SLaneVec& v, const SLaneVec& axis, SLanes c, SLanes s)
{
    const SLaneVec k = Normalized(axis);
    const SLaneVec kxv = Cross(k, v);
    const SLanes kv = Dot(k, v);
    return v * c + kxv * s + k * (kv * (Splat(1.0) - c));
}

// RotationMatrixApply per lane about an axis already normalized, with each lane's cosine and sine.
inline SLaneVec RotationMatrixApplyUnit(const SLaneVec& k, SLanes c, SLanes s, const SLaneVec& d)
{
    const SLanes t = Splat(1.0) - c;
    const SLanes m00 = t * k.x * k.x + c, m01 = t * k.x * k.y - s * k.z, m02 = t * k.x * k.z + s * k.y;
    const SLanes m10 = t * k.x * k.y + s * k.z, m11 = t * k.y * k.y + c, m12 = t * k.y * k.z - s * k.x;
    const SLanes m20 = t * k.x * k.z - s * k.y, m21 = t * k.y * k.z + s * k.x, m22 = t * k.z * k.z + c;
    return {m00 * d.x + m01 * d.y + m02 * d.z, m10 * d.x + m11 * d.y + m12 * d.z,
            m20 * d.x + m21 * d.y + m22 * d.z};
}

// RotationMatrixApply per lane, with each lane's cosine and sine.
inline SLaneVec RotationMatrixApply(const SLaneVec& axis, SLanes c, SLanes s, const SLaneVec& d)
{
    return RotationMatrixApplyUnit(Normalized(axis), c, s, d);
}

// Reorthagonalize's usual case for two frames in the lanes (finite vectors assumed), in three
// steps of one normalization each: a caller can run each step over many frames in turn, and then
// their chains of a square root and a division overlap instead of waiting three in a row.
struct SLaneFrame {
    SLaneVec view, up, side;
    SLaneVec next;  // the side, then the up, before it is normalized
    // Per lane: the usual case holds; else the scalar version must run (a null view, or up along the view).
    SLaneMask usual;
};

inline void StraightenView(SLaneFrame& f)
{
    const SLanes tiny = Splat(1e-24);
    // Magnitudes of the view before and of the side after normalizing, as the scalar tests read them.
    const SLaneMask longView = Greater(Magnitude(f.view), tiny);
    f.view = Normalized(f.view);
    f.next = Cross(f.up, f.view);
    f.usual = longView & Greater(Magnitude(f.next), tiny);
}

inline void StraightenSide(SLaneFrame& f)
{
    f.side = Normalized(f.next);
    f.next = Cross(f.view, f.side);
}

inline void StraightenUp(SLaneFrame& f) { f.up = Normalized(f.next); }

// Reorthagonalize of two frames. The usual case runs in the lanes; a frame that needs one of the
// scalar version's special cases (non-finite, null view, up along the view) is handed to it.
inline void Reorthagonalize(CLocalCoordinateSystem& f0, CLocalCoordinateSystem& f1)
{
    SLaneFrame f;
    f.view = LaneVec(f0.m_view, f1.m_view);
    f.up = LaneVec(f0.m_up, f1.m_up);
    StraightenView(f);
    StraightenSide(f);
    StraightenUp(f);
    const bool finite0 = IsFinite(f0.m_view) && IsFinite(f0.m_up), finite1 = IsFinite(f1.m_view) && IsFinite(f1.m_up);
    if (finite0 && Lane0(f.usual)) {
        f0.m_view = Lane0(f.view);
        f0.m_side = Lane0(f.side);
        f0.m_up = Lane0(f.up);
    } else {
        Reorthagonalize(f0);
    }
    if (finite1 && Lane1(f.usual)) {
        f1.m_view = Lane1(f.view);
        f1.m_side = Lane1(f.side);
        f1.m_up = Lane1(f.up);
    } else {
        Reorthagonalize(f1);
    }
}

}  // namespace orbmath
