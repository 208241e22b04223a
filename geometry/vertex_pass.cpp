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

#include <cstddef>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The pair loop stores these records whole from registers.
static_assert(std::is_standard_layout_v<ViewVertex> && sizeof(ViewVertex) == 16 &&
              offsetof(ViewVertex, intensity) == 12);
static_assert(std::is_standard_layout_v<ScreenPoint> && sizeof(ScreenPoint) == 16 &&
              offsetof(ScreenPoint, depth) == 8 && offsetof(ScreenPoint, intensity) == 12);

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

// One row of a transform on a pair of points: ((x*a + y*b) + z*c) + d, each
// operation rounded, as the one-at-a-time code sums it. The constants are
// spread over both lanes once, before the loop.
struct PairRow {
    __m128d a;
    __m128d b;
    __m128d c;
    __m128d d;

    PairRow(double ra, double rb, double rc, double rd)
        : a(_mm_set1_pd(ra)), b(_mm_set1_pd(rb)), c(_mm_set1_pd(rc)), d(_mm_set1_pd(rd)) {}
    __m128d apply(__m128d x, __m128d y, __m128d z) const {
        return _mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, a), _mm_mul_pd(y, b)), _mm_mul_pd(z, c)), d);
    }
};

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
    const PairRow viewX(c.m0, c.m4, c.m8, c.m12);
    const PairRow viewY(c.m1, c.m5, c.m9, c.m13);
    const PairRow viewZ(c.m2, c.m6, c.m10, c.m14);
    const PairRow projectedX(p.m0, p.m4, p.m8, p.m12);
    const PairRow projectedY(p.m1, p.m5, p.m9, p.m13);
    const PairRow projectedW(p.m3, p.m7, p.m11, p.m15);
    const __m128d lightX = splat(c.light.x);
    const __m128d lightY = splat(c.light.y);
    const __m128d lightZ = splat(c.light.z);
    const __m128i nearBit = _mm_set1_epi64x(1);
    const __m128i leftBit = _mm_set1_epi64x(2);
    const __m128i rightBit = _mm_set1_epi64x(4);
    const __m128i topBit = _mm_set1_epi64x(8);
    const __m128i bottomBit = _mm_set1_epi64x(16);
    const __m128i noPixelBit = _mm_set1_epi64x(kNoPixel);
    std::size_t i = begin;
    for (; i + 2 <= end; i += 2) {
        const Vertex& a = source[i];
        const Vertex& b = source[i + 1];
        const __m128d x = _mm_set_pd(b.position.x, a.position.x);
        const __m128d y = _mm_set_pd(b.position.y, a.position.y);
        const __m128d z = _mm_set_pd(b.position.z, a.position.z);
        const __m128d zf = roundedToFloat(viewZ.apply(x, y, z));
        if (_mm_movemask_pd(_mm_cmpgt_pd(zf, farPlane)) != 0) {
            break;
        }
        const __m128d xf = roundedToFloat(viewX.apply(x, y, z));
        const __m128d yf = roundedToFloat(viewY.apply(x, y, z));

        // Outcodes, one 64-bit lane each: a plane's bit where its distance
        // (near z, left x + z, right z - x, top z - y, bottom y + z) is not
        // >= 0 (NaN included).
        const __m128i code = _mm_or_si128(
            _mm_or_si128(
                _mm_and_si128(_mm_castpd_si128(_mm_cmpnge_pd(zf, zero)), nearBit),
                _mm_and_si128(_mm_castpd_si128(_mm_cmpnge_pd(_mm_add_pd(xf, zf), zero)), leftBit)),
            _mm_or_si128(
                _mm_or_si128(
                    _mm_and_si128(_mm_castpd_si128(_mm_cmpnge_pd(_mm_sub_pd(zf, xf), zero)),
                                  rightBit),
                    _mm_and_si128(_mm_castpd_si128(_mm_cmpnge_pd(_mm_sub_pd(zf, yf), zero)),
                                  topBit)),
                _mm_and_si128(_mm_castpd_si128(_mm_cmpnge_pd(_mm_add_pd(yf, zf), zero)),
                              bottomBit)));

        // The pixel, for both lanes whatever their outcode; a lane without
        // an image is told apart below.
        const __m128d w = projectedW.apply(xf, yf, zf);
        const __m128d r = _mm_div_pd(one, w);
        const __m128d xp = roundedToFloat(_mm_mul_pd(projectedX.apply(xf, yf, zf), r));
        const __m128d yp = roundedToFloat(_mm_mul_pd(projectedY.apply(xf, yf, zf), r));
        const __m128d px = _mm_mul_pd(_mm_mul_pd(_mm_add_pd(xp, one), maxX), half);
        const __m128d py = _mm_mul_pd(_mm_mul_pd(_mm_sub_pd(one, yp), maxY), half);
        // Has an image (z > 0, w > 0, both finite) and lands in the frame.
        const __m128d mapped = _mm_and_pd(
            _mm_and_pd(_mm_and_pd(_mm_cmpgt_pd(zf, zero), _mm_cmpgt_pd(w, zero)),
                       _mm_and_pd(_mm_cmple_pd(_mm_and_pd(px, magnitude), largest),
                                  _mm_cmple_pd(_mm_and_pd(py, magnitude), largest))),
            _mm_and_pd(_mm_and_pd(_mm_cmpgt_pd(px, minusOne), _mm_cmplt_pd(px, xLimit)),
                       _mm_and_pd(_mm_cmpgt_pd(py, minusOne), _mm_cmplt_pd(py, yLimit))));

        // max(lightDirInObject . normal, 0) as a float, NaN giving 0.
        __m128 intensity = _mm_setzero_ps();
        if (c.lit) {
            const Vec3& na = a.normal;
            const Vec3& nb = b.normal;
            const __m128 lit =
                _mm_cvtpd_ps(_mm_add_pd(_mm_add_pd(_mm_mul_pd(lightX, _mm_set_pd(nb.x, na.x)),
                                                   _mm_mul_pd(lightY, _mm_set_pd(nb.y, na.y))),
                                        _mm_mul_pd(lightZ, _mm_set_pd(nb.z, na.z))));
            intensity = _mm_and_ps(_mm_cmpgt_ps(lit, _mm_setzero_ps()), lit);
        }

        // Both view vertices (x, y, z, intensity) and both pixels (column,
        // row, depth, intensity), laid out by shuffles. A pixel is written
        // whatever the outcode: where it is not 0 nothing reads it.
        const __m128 xy = _mm_unpacklo_ps(_mm_cvtpd_ps(xf), _mm_cvtpd_ps(yf));
        const __m128 zi = _mm_unpacklo_ps(_mm_cvtpd_ps(zf), intensity);
        _mm_storeu_ps(&view[i].position.x, _mm_movelh_ps(xy, zi));
        _mm_storeu_ps(&view[i + 1].position.x, _mm_movehl_ps(zi, xy));
        const __m128i cells = _mm_unpacklo_epi32(_mm_cvttpd_epi32(px), _mm_cvttpd_epi32(py));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&pixel[i]),
                         _mm_unpacklo_epi64(cells, _mm_castps_si128(zi)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&pixel[i + 1]),
                         _mm_unpackhi_epi64(cells, _mm_castps_si128(zi)));

        // kNoPixel where the outcode is 0 but the point has no pixel.
        const __m128i inside = _mm_cmpeq_epi32(code, _mm_setzero_si128());
        const __m128i noPixel = _mm_and_si128(
            _mm_andnot_si128(_mm_castpd_si128(mapped), noPixelBit),
            _mm_and_si128(inside, _mm_shuffle_epi32(inside, _MM_SHUFFLE(2, 3, 0, 1))));
        const __m128i codes = _mm_or_si128(code, noPixel);
        outcode[i] = static_cast<std::uint8_t>(_mm_cvtsi128_si32(codes));
        outcode[i + 1] =
            static_cast<std::uint8_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(codes, codes)));
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
