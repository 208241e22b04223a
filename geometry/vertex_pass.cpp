// The vertex pass: every mesh vertex once per frame, whatever number of
// faces share it.
//
// With M = world x view (the fourth column is not used and nothing is
// divided), a model point (x, y, z) moves to view space as
// zv = x*m2 + y*m6 + z*m10 + m14 (and xv, yv likewise), in double, rounded
// to floats. In Gouraud mode with a directional light the vertex is lit:
// max(lightDirInObject . normal, 0), NaN giving 0. Then its outcode, and
// for a vertex inside all five planes its pixel (PixelMapping), which is
// then the pixel of every face corner it makes (such a face is not
// clipped).
//
// Two vertices at a time where the processor has SSE2 (every x86-64 one):
// the same operations in the same order on each, every lane rounded as the
// one-at-a-time code rounds (conversions between float and double and the
// arithmetic are IEEE operations, lane by lane), so the results are the
// very bits of transformVertex below, which does the rest.
#include "geometry/pipeline.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// What every vertex of one call uses, widened to double once (exactly:
// every float has a double).
struct VertexPassConstants {
    double m0, m1, m2, m4, m5, m6, m8, m9, m10, m12, m13, m14;
    bool lit;
    Vec3 light;
    float farPlane;
    PixelMapping mapping;

    VertexPassConstants(const RenderDevice& device, const Matrix4& m)
        : m0(m[0]), m1(m[1]), m2(m[2]), m4(m[4]), m5(m[5]), m6(m[6]), m8(m[8]), m9(m[9]),
          m10(m[10]), m12(m[12]), m13(m[13]), m14(m[14]),
          lit((device.renderMode & RenderMode::Gouraud) != 0 &&
              (device.lightFlags & LightKind::Directional) != 0),
          light(device.lightDirInObject), farPlane(device.farPlane), mapping(device) {}
};

// One vertex. False when it lies beyond farPlane.
inline bool transformVertex(const VertexPassConstants& c, const Vertex& source, ViewVertex& view,
                            std::uint8_t& outcode, ScreenPoint& pixel) {
    const double x = source.position.x;
    const double y = source.position.y;
    const double z = source.position.z;
    const auto zv = static_cast<float>(x * c.m2 + y * c.m6 + z * c.m10 + c.m14);
    if (zv > c.farPlane) {
        return false;
    }
    ViewVertex v;
    v.position.x = static_cast<float>(x * c.m0 + y * c.m4 + z * c.m8 + c.m12);
    v.position.y = static_cast<float>(x * c.m1 + y * c.m5 + z * c.m9 + c.m13);
    v.position.z = zv;
    if (c.lit) {
        const float intensity = dot(c.light, source.normal);
        v.intensity = intensity > 0.0f ? intensity : 0.0f;
    }
    view = v;
    std::uint8_t code = outsidePlanes(v.position);
    if (code == 0) {
        PixelPosition projected;
        if (c.mapping.project(v.position, projected) && c.mapping.landsInFrame(projected)) {
            projected.intensity = v.intensity;
            pixel = truncateToPixel(projected);
        } else {
            code = kNoPixel;
        }
    }
    outcode = code;
    return true;
}

#if defined(__SSE2__)

inline __m128d splat(double v) {
    return _mm_set1_pd(v);
}

// A double pair rounded to floats and widened back: the floats' values.
inline __m128d roundedToFloat(__m128d v) {
    return _mm_cvtps_pd(_mm_cvtpd_ps(v));
}

// Vertices [begin, end) two at a time; returns how far it got (a vertex
// beyond farPlane stops it, and transformVertex then finds it).
std::size_t transformPairs(const VertexPassConstants& c, const Vertex* source, std::size_t begin,
                           std::size_t end, ViewVertex* view, std::uint8_t* outcode,
                           ScreenPoint* pixel) {
    const PixelMapping& p = c.mapping;
    const __m128d zero = _mm_setzero_pd();
    const __m128d one = splat(1.0);
    const __m128d half = splat(0.5);
    const __m128d maxX = splat(p.maxX);
    const __m128d maxY = splat(p.maxY);
    const __m128d xLimit = splat(p.maxX + 1.0);
    const __m128d yLimit = splat(p.maxY + 1.0);
    const __m128d minusOne = splat(-1.0);
    const __m128d largest = splat(1.7976931348623157e308);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    const __m128d farPlane = splat(c.farPlane);
    std::size_t i = begin;
    for (; i + 2 <= end; i += 2) {
        const Vertex& a = source[i];
        const Vertex& b = source[i + 1];
        const __m128d x = _mm_set_pd(b.position.x, a.position.x);
        const __m128d y = _mm_set_pd(b.position.y, a.position.y);
        const __m128d z = _mm_set_pd(b.position.z, a.position.z);
        // ((x*m2 + y*m6) + z*m10) + m14, in that order, as each sum below.
        const __m128d zf = roundedToFloat(_mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, splat(c.m2)), _mm_mul_pd(y, splat(c.m6))),
                       _mm_mul_pd(z, splat(c.m10))),
            splat(c.m14)));
        if (_mm_movemask_pd(_mm_cmpgt_pd(zf, farPlane)) != 0) {
            break;
        }
        const __m128d xf = roundedToFloat(_mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, splat(c.m0)), _mm_mul_pd(y, splat(c.m4))),
                       _mm_mul_pd(z, splat(c.m8))),
            splat(c.m12)));
        const __m128d yf = roundedToFloat(_mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, splat(c.m1)), _mm_mul_pd(y, splat(c.m5))),
                       _mm_mul_pd(z, splat(c.m9))),
            splat(c.m13)));

        // Outside bits: near z, left x + z, right z - x, top z - y, bottom
        // y + z, each inside when >= 0 (NaN is not).
        // The lanes' bits of each plane: bit 0 the first vertex, bit 1 the
        // second; spread into one outcode per lane below.
        const unsigned near = ~_mm_movemask_pd(_mm_cmpge_pd(zf, zero)) & 3u;
        const unsigned left = ~_mm_movemask_pd(_mm_cmpge_pd(_mm_add_pd(xf, zf), zero)) & 3u;
        const unsigned right = ~_mm_movemask_pd(_mm_cmpge_pd(_mm_sub_pd(zf, xf), zero)) & 3u;
        const unsigned top = ~_mm_movemask_pd(_mm_cmpge_pd(_mm_sub_pd(zf, yf), zero)) & 3u;
        const unsigned bottom = ~_mm_movemask_pd(_mm_cmpge_pd(_mm_add_pd(yf, zf), zero)) & 3u;
        const unsigned spread = near | left << 2 | right << 4 | top << 6 | bottom << 8;
        const unsigned codes[2] = {spread & 0x155u, (spread & 0x2aau) >> 1};

        // The pixel, for both lanes whatever their outcode; a lane without
        // an image is told apart below.
        const __m128d w = _mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(xf, splat(p.m3)), _mm_mul_pd(yf, splat(p.m7))),
                       _mm_mul_pd(zf, splat(p.m11))),
            splat(p.m15));
        const __m128d r = _mm_div_pd(one, w);
        const __m128d xp =
            roundedToFloat(_mm_mul_pd(_mm_add_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(xf, splat(p.m0)),
                                                                       _mm_mul_pd(yf, splat(p.m4))),
                                                            _mm_mul_pd(zf, splat(p.m8))),
                                                 splat(p.m12)),
                                      r));
        const __m128d yp =
            roundedToFloat(_mm_mul_pd(_mm_add_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(xf, splat(p.m1)),
                                                                       _mm_mul_pd(yf, splat(p.m5))),
                                                            _mm_mul_pd(zf, splat(p.m9))),
                                                 splat(p.m13)),
                                      r));
        const __m128d px = _mm_mul_pd(_mm_mul_pd(_mm_add_pd(xp, one), maxX), half);
        const __m128d py = _mm_mul_pd(_mm_mul_pd(_mm_sub_pd(one, yp), maxY), half);
        // Has an image (z > 0, w > 0, both finite) and lands in the frame.
        const __m128d mapped = _mm_and_pd(
            _mm_and_pd(_mm_and_pd(_mm_cmpgt_pd(zf, zero), _mm_cmpgt_pd(w, zero)),
                       _mm_and_pd(_mm_cmple_pd(_mm_and_pd(px, magnitude), largest),
                                  _mm_cmple_pd(_mm_and_pd(py, magnitude), largest))),
            _mm_and_pd(_mm_and_pd(_mm_cmpgt_pd(px, minusOne), _mm_cmplt_pd(px, xLimit)),
                       _mm_and_pd(_mm_cmpgt_pd(py, minusOne), _mm_cmplt_pd(py, yLimit))));
        const int mappedLanes = _mm_movemask_pd(mapped);
        alignas(16) std::int32_t columns[4];
        alignas(16) std::int32_t rows[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(columns), _mm_cvttpd_epi32(px));
        _mm_store_si128(reinterpret_cast<__m128i*>(rows), _mm_cvttpd_epi32(py));
        alignas(16) float xs[4];
        alignas(16) float ys[4];
        alignas(16) float zs[4];
        _mm_store_ps(xs, _mm_cvtpd_ps(xf));
        _mm_store_ps(ys, _mm_cvtpd_ps(yf));
        _mm_store_ps(zs, _mm_cvtpd_ps(zf));

        for (int lane = 0; lane < 2; ++lane) {
            const std::size_t k = i + static_cast<std::size_t>(lane);
            ViewVertex v;
            v.position = Vec3{xs[lane], ys[lane], zs[lane]};
            if (c.lit) {
                const float intensity = dot(c.light, source[k].normal);
                v.intensity = intensity > 0.0f ? intensity : 0.0f;
            }
            view[k] = v;
            // Bits 0, 2, 4, 6, 8 of codes[lane] close up to bits 0 to 4.
            const unsigned b = codes[lane];
            auto code = static_cast<std::uint8_t>((b & 1u) | (b >> 1 & 2u) | (b >> 2 & 4u) |
                                                  (b >> 3 & 8u) | (b >> 4 & 16u));
            if (code == 0) {
                if ((mappedLanes >> lane & 1) != 0) {
                    pixel[k] = ScreenPoint{columns[lane], rows[lane], zs[lane], v.intensity};
                } else {
                    code = kNoPixel;
                }
            }
            outcode[k] = code;
        }
    }
    return i;
}

#endif

} // namespace

bool transformVertices(const RenderDevice& device, const Mesh& mesh, std::size_t begin,
                       std::size_t end, VertexResults& results) {
    Matrix4 modelView;
    multiply(modelView, device.worldMatrix, device.viewMatrix);
    const VertexPassConstants constants(device, modelView);
    const Vertex* const source = mesh.vertices.data();
    ViewVertex* const view = results.view.data();
    std::uint8_t* const outcode = results.outcode.data();
    ScreenPoint* const pixel = results.pixel.data();
    std::size_t i = begin;
#if defined(__SSE2__)
    i = transformPairs(constants, source, begin, end, view, outcode, pixel);
#endif
    for (; i < end; ++i) {
        if (!transformVertex(constants, source[i], view[i], outcode[i], pixel[i])) {
            return false;
        }
    }
    return true;
}
