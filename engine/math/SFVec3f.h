// Three-component double vector: positions, directions and colours of the universe.
#pragma once

struct SFVec3f {
    double x = 0.0, y = 0.0, z = 0.0;

    static const SFVec3f kZero;
    static const SFVec3f kOne;

    constexpr SFVec3f() = default;
    constexpr SFVec3f(double ax, double ay, double az) : x(ax), y(ay), z(az) {}

    SFVec3f operator+(const SFVec3f& o) const { return {x + o.x, y + o.y, z + o.z}; }
    SFVec3f operator-(const SFVec3f& o) const { return {x - o.x, y - o.y, z - o.z}; }
    SFVec3f operator-() const { return {-x, -y, -z}; }
    SFVec3f operator*(double s) const { return {x * s, y * s, z * s}; }
    // Component-wise product and quotient, as the engine's math library defines them.
    SFVec3f operator*(const SFVec3f& o) const { return {x * o.x, y * o.y, z * o.z}; }
    SFVec3f operator/(const SFVec3f& o) const { return {x / o.x, y / o.y, z / o.z}; }
    SFVec3f& operator+=(const SFVec3f& o) { x += o.x; y += o.y; z += o.z; return *this; }
    SFVec3f& operator-=(const SFVec3f& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    SFVec3f& operator*=(double s) { x *= s; y *= s; z *= s; return *this; }
    bool operator==(const SFVec3f& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const SFVec3f& o) const { return !(*this == o); }

    double Length() const;
    // Squared length: cheap, used for every distance comparison.
    double Magnitude() const { return x * x + y * y + z * z; }
    // Scales to unit length; a vector of length 0 or exactly 1 is left as it is.
    SFVec3f& Normalize();
    SFVec3f Normalized() const { SFVec3f v = *this; return v.Normalize(); }
    double DotProduct(const SFVec3f& o) const { return x * o.x + y * o.y + z * o.z; }
    SFVec3f CrossProduct(const SFVec3f& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    // Turns this vector about the unit axis by angle radians (right-hand rule).
    SFVec3f& RotateAroundAxis(const SFVec3f& axis, double angle);
    bool IsNaN() const;
    bool IsFinite() const;
};

inline SFVec3f operator*(double s, const SFVec3f& v) { return v * s; }

struct SFVec4f {
    double x = 0.0, y = 0.0, z = 0.0, w = 0.0;
    constexpr SFVec4f() = default;
    constexpr SFVec4f(double ax, double ay, double az, double aw) : x(ax), y(ay), z(az), w(aw) {}
    bool operator==(const SFVec4f& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
};

static_assert(sizeof(SFVec3f) == 24, "SFVec3f is three packed doubles");
static_assert(sizeof(SFVec4f) == 32, "SFVec4f is four packed doubles");
