// Fragment stage of the relief-shading bench: per-pixel Blinn-Phong lighting of
// the colour map with the normal map's normals, plus the relief techniques under
// test, each switched on by a macro defined in front of this text:
//
//   PARALLAX               shift the lookup by the texel's depth along the eye ray
//   OFFSET_LIMITING_EYE    the same shift without dividing by the eye vector's z,
//                          so it never reaches further than the relief is deep
//   ITERATIVE              march the eye ray down through the height field in
//                          ITERATIVE_STEPS steps and take the first point under it
//   ITERATIVE_LERP         place that point between the last two samples, where
//                          the ray crosses the straight line between them
//   SHADOW_TRACE           march from the point seen toward the light; texels with
//                          relief in the way are darkened
//   OFFSET_LIMITING_LIGHT  limit the light march's reach the same way
//   BINARY_REFINE          after the march, REFINE_STEPS bisection steps between
//                          the last sample above the surface and the first under it
//   ADAPTIVE_STEPS         march in ITERATIVE_STEPS / 8 steps head-on, more as the
//                          view grazes the surface, all of them at eye.z = 0
//   EARLY_EXIT             stop the march at the first sample under the surface
//   RELAXED_CONE           robust relaxed cone stepping: step down the eye ray
//                          as far as the cone map (read with linear filtering)
//                          allows, and always at least to the exit of the
//                          bilinear cell (up to ITERATIVE_STEPS steps), then
//                          bisect REFINE_STEPS times and interpolate
//   MAX_PYRAMID            walk the eye ray through a pyramid of height maxima,
//                          down a level where the ray meets a node's maximum
//                          and up one after it leaves a node (up to
//                          ITERATIVE_STEPS nodes), solving the ray against the
//                          bilinear cell exactly at the bottom level
//   WRITE_DEPTH            write the depth of the point found (gl_FragDepth),
//                          so that other objects meet the relief where it is
//   CURVED_SILHOUETTE      bend the relief's layer with the mesh's curvature,
//                          so that the eye ray leaves it where the mesh curves
//                          away, and discard the fragment when it leaves
//                          without meeting the surface: the outline shows
//                          the relief
//
// ITERATIVE_STEPS and REFINE_STEPS arrive as float literals (32.0 and 6.0 when
// none is given). With STEPS_AS_UNIFORMS also defined, the loops are bounded
// by the uniforms iterativeSteps and refineSteps instead, which the bench sets
// to the same counts. Any set of the macros may be defined.
//
// Which eye-ray search runs is one choice, EYE_SEARCH, one of the SEARCH_
// names below. The bench decides it and appends it after the panel's macro
// string, with the partners the set's techniques bring along (ITERATIVE for
// ITERATIVE_LERP, BINARY_REFINE, ADAPTIVE_STEPS, EARLY_EXIT and
// CURVED_SILHOUETTE; SHADOW_TRACE for OFFSET_LIMITING_LIGHT). A macro string
// without those lines (a shader built by hand, the first build) gets the same
// from the rules below: the partners, then the first of MAX_PYRAMID,
// RELAXED_CONE, ITERATIVE and the single offset (PARALLAX or
// OFFSET_LIMITING_EYE) that is defined.
// MAX_PYRAMID needs lookups at explicit levels (GLSL 1.30, or
// GL_ARB_shader_texture_lod before it); without them it builds nothing and
// the next search in that order runs, as without the macro. The bench's
// fidelity meter adds OUTPUT_HIT: the fragment then holds the texture
// coordinate finally used and the shadow factor instead of a colour, to be
// compared with a traced reference. REFERENCE_HIT shades hits found
// elsewhere instead of searching: the bench's exact trace, read per pixel
// from a float texture (referenceHit below), which draws the reference frame
// that the technique frames are compared with as pictures.
//
// The relief: the polygon lies at the top of it (height 1 in the normal map's
// alpha); height 0 lies polyThickness fifths of a texture repeat below (the
// default 0.5 puts the mortar of the bench's bricks about a third of a course
// deep).
//
// WRITE_DEPTH's mapping from the relief to the eye's space: a point found a
// fraction d of the relief's depth down (d = 1 - its height) lies
// d * polyThickness * 0.2 texture units under the polygon along its normal.
// One texture unit of depth is sqrt(|dP/du| |dP/dv|) long in eye space (the
// vertex stage's unnormalised tangent and binormal, which vary over a mesh:
// on the sphere |dP/du| shrinks toward the poles), and the eye ray sinks by
// eye.z for each unit it runs (eye.z kept off zero as the searches keep it),
// so the point is taken that far beyond the polygon along the ray through the
// pixel and its depth written through the projection and depth range. Every
// technique states its d: 0 without a search (the polygon's own depth), the
// texel's depth for PARALLAX and OFFSET_LIMITING_EYE, the ray parameter of
// the hit for the searches.
//
// CURVED_SILHOUETTE's layer: the vertex stage hands on the mesh's curvature
// along u and v (layerCurve): at an offset (du, dv) texture units from the
// fragment's point the surface has fallen layerCurve.x du^2 + layerCurve.y dv^2
// texture units of depth below the polygon's plane, and the relief hangs that
// much lower there, its top on the curved surface. Those are the mesh's own
// texture units, |dP/du| long along u and |dP/dv| along v, where the flat model
// takes each as long as one of depth; so with the technique the eye ray's reach
// is measured in them (layerStretch, 1 each way where the two scales are equal,
// as on the plane), which also puts its lookups where the ray runs over the
// texture where they differ (the sphere away from its equator). The eye ray
// stays straight: at parameter t (t of the relief's depth below the plane, at
// the offset eyeReach * t) it lies t - bend * t^2 below the layer's top, bend
// being the fall at eyeReach over the relief's depth. Where the mesh curves
// away (bend > 0) the ray reaches the bottom at 2 / (1 + sqrt(1 - 4 bend)),
// later than at 1; past bend = 1/4 it never does and comes back out through the
// top at 1 / bend. The linear march (with every refinement) and the pyramid
// walk search that curved layer over that span, and a ray that comes back out
// without meeting the surface is discarded. The parameter t of the hit keeps
// its meaning on the straight ray, so WRITE_DEPTH places the point as before;
// the light's march from it runs in the flat layer. A set with the single
// offset (PARALLAX, OFFSET_LIMITING_EYE) gets the linear march, ITERATIVE being
// the technique's partner; RELAXED_CONE's steps and spans take the ray as
// straight through a flat layer, so with it the technique changes nothing.

#ifndef ITERATIVE_STEPS
#define ITERATIVE_STEPS 32.0
#endif
#ifndef REFINE_STEPS
#define REFINE_STEPS 6.0
#endif
// What bounds the loops: the literals themselves, or with STEPS_AS_UNIFORMS
// the same counts in uniforms, as an engine that sets the count at run time
// would pass them (a compiler may unroll a loop of a literal count, never one
// of a uniform's).
// (The uniforms are declared with the others, after the #extension lines.)
#ifdef STEPS_AS_UNIFORMS
#define STEP_COUNT iterativeSteps
#define REFINE_COUNT refineSteps
#else
#define STEP_COUNT ITERATIVE_STEPS
#define REFINE_COUNT REFINE_STEPS
#endif
#if !defined(ITERATIVE) && (defined(ITERATIVE_LERP) || defined(BINARY_REFINE) || defined(ADAPTIVE_STEPS) || defined(EARLY_EXIT))
#define ITERATIVE
#endif
#if defined(OFFSET_LIMITING_LIGHT) && !defined(SHADOW_TRACE)
#define SHADOW_TRACE
#endif
#if defined(CURVED_SILHOUETTE) && !defined(ITERATIVE)
#define ITERATIVE
#endif

// The eye-ray searches EYE_SEARCH chooses from.
#define SEARCH_NONE 0     // the polygon's own point
#define SEARCH_OFFSET 1   // one sample: PARALLAX, OFFSET_LIMITING_EYE
#define SEARCH_LINEAR 2   // the march of ITERATIVE and its refinements
#define SEARCH_CONE 3     // RELAXED_CONE
#define SEARCH_PYRAMID 4  // MAX_PYRAMID

// A march that stops early or varies its length leaves uniform control flow,
// where a lookup's implicit derivatives are undefined: the new techniques'
// lookups take the texture coordinate's gradients from before the march.
// GLSL 1.30 has textureGrad, earlier versions the ARB extension; without
// either the march keeps its full length and plain lookups.
#if defined(BINARY_REFINE) || defined(ADAPTIVE_STEPS) || defined(EARLY_EXIT) || defined(RELAXED_CONE) || defined(REFERENCE_HIT)
#if __VERSION__ >= 130
#define GRADIENT_LOOKUP(s, p) textureGrad(s, p, gradX, gradY)
#else
#extension GL_ARB_shader_texture_lod : enable
#ifdef GL_ARB_shader_texture_lod
#define GRADIENT_LOOKUP(s, p) texture2DGradARB(s, p, gradX, gradY)
#endif
#endif
#endif

// MAX_PYRAMID's lookups at explicit levels.
#ifdef MAX_PYRAMID
#if __VERSION__ >= 130
#define LEVEL_LOOKUP(s, p, lod) textureLod(s, p, lod)
#else
#extension GL_ARB_shader_texture_lod : enable
#ifdef GL_ARB_shader_texture_lod
#define LEVEL_LOOKUP(s, p, lod) texture2DLod(s, p, lod)
#endif
#endif
#endif

// The choice itself, when the macro string does not bring it; and the
// pyramid's stand-in where the GL cannot walk it.
#if defined(EYE_SEARCH) && EYE_SEARCH == SEARCH_PYRAMID && !defined(LEVEL_LOOKUP)
#undef EYE_SEARCH
#endif
#ifndef EYE_SEARCH
#if defined(MAX_PYRAMID) && defined(LEVEL_LOOKUP)
#define EYE_SEARCH SEARCH_PYRAMID
#elif defined(RELAXED_CONE)
#define EYE_SEARCH SEARCH_CONE
#elif defined(ITERATIVE)
#define EYE_SEARCH SEARCH_LINEAR
#elif defined(PARALLAX) || defined(OFFSET_LIMITING_EYE)
#define EYE_SEARCH SEARCH_OFFSET
#else
#define EYE_SEARCH SEARCH_NONE
#endif
#endif

// The searches that follow the curved layer.
#if defined(CURVED_SILHOUETTE) && (EYE_SEARCH == SEARCH_LINEAR || EYE_SEARCH == SEARCH_PYRAMID)
#define CURVED_LAYER
#endif

uniform sampler2D colorMap;
uniform sampler2D normalMap;  // rgb: unit normal packed as (n + 1) / 2; a: height
// With a separate height map the heights are read from it (16 bits, in r)
// instead of the normal map's alpha.
#ifdef HEIGHT_MAP
uniform sampler2D heightMap;
#define HEIGHTS heightMap
#define HEIGHT_OF(texel) (texel).r
#else
#define HEIGHTS normalMap
#define HEIGHT_OF(texel) (texel).a
#endif
uniform float polyThickness;  // depth of the relief, in fifths of a texture repeat
#ifdef STEPS_AS_UNIFORMS
uniform float iterativeSteps;  // ITERATIVE_STEPS' value
uniform float refineSteps;     // REFINE_STEPS' value
#endif
#if EYE_SEARCH == SEARCH_CONE
uniform sampler2D coneMap;    // r: sqrt of the cone ratio per texel, 3x3 minimum-filtered (16 bits, linear, no mipmaps)
uniform vec2 coneMapSize;     // its width and height in texels
#endif
#if EYE_SEARCH == SEARCH_PYRAMID
// Level L, texel (I, J): the highest height over the bilinear cells (the
// patches between texel centres) I * 2^L ... (I + 1) * 2^L - 1 each way,
// clipped at the map's edge. Nearest, one GL level per pyramid level; level 0
// is the map's size padded to powers of two (the padding holds 0).
uniform sampler2D maxPyramid;
uniform vec4 pyramidSize;  // xy: the height map's size in texels; zw: the pyramid's level-0 size
uniform float pyramidTop;  // the pyramid's last level, one texel
#endif

varying vec2 texCoord;
varying vec3 lightVec;
varying vec3 eyeVec;
#ifdef REFERENCE_HIT
// Per pixel of the view (nearest, no mipmaps, 32-bit floats): rg, the hit's
// texture coordinate less the pixel's own texCoord (an offset keeps its digits
// where u reaches 32 around the sphere); b, the light's verdict there, 1 lit
// and 0 in shadow; a, 1 where the trace has a hit (elsewhere the background
// shows: a displaced surface's outline lies inside the mesh's).
uniform sampler2D referenceHits;
uniform vec4 referenceView;  // xy: the viewport's origin in window pixels; zw: its size
#ifdef REFERENCE_FRAME
// Per pixel, as referenceHits: the unit directions from the hit to the eye and
// to the light in the hit's own tangent frame, for a hit that may lie on
// another triangle than the pixel's (the displaced surface's).
uniform sampler2D referenceEye;
uniform sampler2D referenceLight;
#endif
#endif
#ifdef WRITE_DEPTH
varying vec3 eyePosition;  // the polygon's point in eye space
varying vec3 surfaceU;     // dP/du in eye space
varying vec3 surfaceV;     // dP/dv in eye space
#endif
#ifdef CURVED_LAYER
varying vec2 layerCurve;    // the surface's fall per squared texture unit along u and v, in texture units of depth
varying vec2 layerStretch;  // texture units along u and v per texture unit of depth
#endif

// How much light is left to a texel in full shadow.
const float shadowFloor = 0.25;
// Heights the light ray must clear, so a surface does not shadow itself.
const float shadowBias = 0.02;

float heightAt(vec2 uv)
{
    return HEIGHT_OF(texture2D(HEIGHTS, uv));
}

// The eye ray against the layer's top, as the header says: how deep under it
// the ray lies at t (in units of the relief's depth), how fast that grows,
// where the search's span ends and where the ray first reaches depth c.
// Without CURVED_LAYER the top is the polygon's plane.
#ifdef CURVED_LAYER
// The eye ray's reach (in texture units of depth) in the mesh's texture units.
vec2 layerReach(vec2 eyeReach) { return eyeReach * layerStretch; }

// The layer's fall at eyeReach, in units of the relief's depth.
float layerBend(vec2 eyeReach)
{
    return dot(layerCurve, eyeReach * eyeReach) / max(polyThickness * 0.2, 1e-6);
}

float rayDepth(vec2 eyeReach, float t) { return t - layerBend(eyeReach) * t * t; }
float raySlope(vec2 eyeReach, float t) { return 1.0 - 2.0 * layerBend(eyeReach) * t; }

// Where the ray reaches the relief's bottom, or comes back out through the top.
float rayEnd(vec2 eyeReach)
{
    float bend = layerBend(eyeReach);
    return bend > 0.25 ? 1.0 / bend : 2.0 / (1.0 + sqrt(1.0 - 4.0 * bend));
}

// What a search that met nothing by the span's end returns: -1 where the ray
// left the layer, else the end, where the ray is at the bottom (a rounding
// short of it left the last sample above a black texel).
float missedAt(vec2 eyeReach, float end)
{
    return layerBend(eyeReach) > 0.25 ? -1.0 : end;
}

// The first t where the ray lies at least c under the top, on or after `from`
// (before it, when the ray is already that deep there); 1e10 when it does not
// get that deep again.
float rayReaches(vec2 eyeReach, float from, float c)
{
    float bend = layerBend(eyeReach);
    float disc = 1.0 - 4.0 * bend * c;
    if (disc < 0.0) return 1e10;
    float root = sqrt(disc);
    if (2.0 * bend * from > 1.0 + root) return 1e10;  // past the span where it is that deep
    return 2.0 * c / (1.0 + root);
}
#else
float layerBend(vec2 eyeReach) { return 0.0; }
float rayDepth(vec2 eyeReach, float t) { return t; }
float raySlope(vec2 eyeReach, float t) { return 1.0; }
float rayEnd(vec2 eyeReach) { return 1.0; }
float rayReaches(vec2 eyeReach, float from, float c) { return c; }
#endif

// A height lookup inside a march; gradX and gradY are texCoord's gradients,
// taken before any march (unused without GRADIENT_LOOKUP).
#ifdef GRADIENT_LOOKUP
float marchHeight(vec2 uv, vec2 gradX, vec2 gradY) { return HEIGHT_OF(GRADIENT_LOOKUP(HEIGHTS, uv)); }
#else
float marchHeight(vec2 uv, vec2 gradX, vec2 gradY) { return heightAt(uv); }
#endif

// Bisection of [lo, hi] on the eye ray (lo above the surface, hi at or under
// it) in REFINE_STEPS halvings; the gaps (height - ray height) at the ends are
// kept for a final straight-line estimate.
void bisect(vec2 uv, vec2 eyeReach, vec2 gradX, vec2 gradY, inout float lo, inout float hi, inout float loGap,
            inout float hiGap)
{
    for (float k = 0.0; k < REFINE_COUNT; k += 1.0) {
        float mid = 0.5 * (lo + hi);
        float gap = marchHeight(uv + eyeReach * mid, gradX, gradY) - (1.0 - rayDepth(eyeReach, mid));
        if (gap >= 0.0) {
            hi = mid;
            hiGap = gap;
        } else {
            lo = mid;
            loGap = gap;
        }
    }
}

// One sample: the texel's own height says how deep the ray has to go.
float offsetSearch(vec2 uv)
{
    return 1.0 - heightAt(uv);
}

// Linear search: sample the ray at even steps from the top (t = 0) to the
// bottom (t = 1) of the relief; the first sample at or under the height
// field is the hit. The bottom always is, so there is one. Without the new
// techniques the loop runs in full for every pixel, keeping the texture
// fetches in uniform control flow. ITERATIVE_LERP places the hit between the
// last two samples, where the ray crosses the straight line between them;
// BINARY_REFINE first bisects between them.
float linearSearch(vec2 uv, vec2 eyeReach, vec3 eye, vec2 gradX, vec2 gradY)
{
    float steps = STEP_COUNT;
#if defined(ADAPTIVE_STEPS) && defined(GRADIENT_LOOKUP)
    steps = max(1.0, floor(mix(STEP_COUNT, STEP_COUNT * 0.125, clamp(eye.z, 0.0, 1.0)) + 0.5));
#endif
    float stepSize = rayEnd(eyeReach) / steps;
    float prevGap = heightAt(uv) - 1.0;  // >= 0 once the ray is under the surface
    float hitT = 0.0, hitStep = stepSize, hitGap = 0.0, hitPrevGap = 0.0;
    float searching = prevGap >= 0.0 ? 0.0 : 1.0;
    for (float i = 1.0; i <= STEP_COUNT; i += 1.0) {
#ifdef GRADIENT_LOOKUP
#ifdef EARLY_EXIT
        if (searching < 0.5) break;
#endif
        if (i > steps) break;
#endif
        float t = i * stepSize;
        float gap = marchHeight(uv + eyeReach * t, gradX, gradY) - (1.0 - rayDepth(eyeReach, t));
        if (searching > 0.5 && gap >= 0.0) {
            hitT = t;
            hitGap = gap;
            hitPrevGap = prevGap;
            searching = 0.0;
        }
        prevGap = gap;
    }
#ifdef CURVED_LAYER
    if (searching > 0.5) return missedAt(eyeReach, steps * stepSize);
#endif
    if (hitT > 0.0) {
#ifdef BINARY_REFINE
        float lo = hitT - stepSize;
        bisect(uv, eyeReach, gradX, gradY, lo, hitT, hitPrevGap, hitGap);
        hitStep = hitT - lo;
#endif
#ifdef ITERATIVE_LERP
        // The surface taken as straight between the two samples: hitPrevGap < 0 <= hitGap.
        hitT = hitT - hitStep * hitGap / (hitGap - hitPrevGap);
#endif
    }
    return hitT;
}

#if EYE_SEARCH == SEARCH_PYRAMID
// How far a point on a node's border is pushed along the ray to tell which
// node it enters, in cells.
const float pyramidNudge = 1.0 / 1024.0;

// The first root in [0, span] of a s^2 + b s + c with c < 0, or -1 when none.
// The roots are taken as q / a and c / q, which loses no digits to
// cancellation; with a = 0 the second is the straight line's root.
float firstRoot(float a, float b, float c, float span)
{
    float disc = b * b - 4.0 * a * c;
    if (disc < 0.0) return -1.0;
    float q = -0.5 * (b + (b >= 0.0 ? sqrt(disc) : -sqrt(disc)));
    float root = span + 1.0;
    if (a != 0.0 && q / a >= 0.0) root = q / a;
    if (q != 0.0 && c / q >= 0.0) root = min(root, c / q);
    return root <= span ? root : -1.0;
}

// The eye ray's parameter at its first meeting with the surface, walking the
// max pyramid in cell coordinates (texels less half a texel: cell (i, j) is
// the bilinear patch of texels i..i+1 x j..j+1). Each iteration takes the node
// under the ray's point (wrapped into the map) and where the ray leaves it,
// tExit; the ray reaches the node's maximum m at tm = 1 - m (on the curved
// layer where rayReaches says, never once it has risen above m). When
// tm >= tExit it passes over the node: on to tExit, and one level up when it enters a new
// node of the level above too. Otherwise on to tm (if later) and one level
// down; at level 0 the gap between the cell's bilinear patch and the ray is a
// quadratic in the ray parameter whose first root is the hit, else on past
// the node as before. When the iterations run out, the point reached (still
// above the surface) is taken; on the curved layer a ray that reaches the
// span's end without a hit returns what missedAt says.
float pyramidSearch(vec2 uv, vec2 eyeReach)
{
    vec2 size = pyramidSize.xy;
    vec2 start = fract(uv) * size - 0.5;
    vec2 dir = eyeReach * size;
    vec2 sgn = sign(dir);
    float t = 0.0;
    float level = pyramidTop;
    float scale = max(pyramidSize.z, pyramidSize.w);  // 2^level cells to a node
    float found = 0.0;
    float end = rayEnd(eyeReach);
    for (float i = 0.0; i < STEP_COUNT; i += 1.0) {
        if (found > 0.5 || t >= end) break;
        // The node under the nudged point, its cells and the true point in it.
        vec2 p = start + dir * t + sgn * pyramidNudge;
        vec2 q = p - size * floor(p / size);
        vec2 node = min(floor(q / scale), ceil(size / scale) - 1.0);
        vec2 lo = node * scale;
        vec2 hi = min(lo + scale, size);
        vec2 at = q - sgn * pyramidNudge;
        // Where the ray leaves the node, the border it crosses and that axis's size.
        float tExit = end, border = 0.0, extent = 1.0;
        if (sgn.x != 0.0) {
            float leave = t + (sgn.x > 0.0 ? hi.x - at.x : at.x - lo.x) / abs(dir.x);
            if (leave < tExit) {
                tExit = leave;
                border = sgn.x > 0.0 ? hi.x : lo.x;
                extent = size.x;
            }
        }
        if (sgn.y != 0.0) {
            float leave = t + (sgn.y > 0.0 ? hi.y - at.y : at.y - lo.y) / abs(dir.y);
            if (leave < tExit) {
                tExit = leave;
                border = sgn.y > 0.0 ? hi.y : lo.y;
                extent = size.y;
            }
        }
        vec2 levelSize = max(pyramidSize.zw / scale, 1.0);
        float tm = rayReaches(eyeReach, t, 1.0 - LEVEL_LOOKUP(maxPyramid, (node + 0.5) / levelSize, level).r);
        float from = max(t, tm);
        if (tm < tExit && level > 0.0) {
            t = from;
            level -= 1.0;
            scale *= 0.5;
        } else {
            float s = -1.0;
            if (tm < tExit) {
                // The four texels of the cell at their centres (level 0, wrapping).
                vec2 texel = 1.0 / size;
                vec2 corner = (node + 0.5) * texel;
                float a = HEIGHT_OF(LEVEL_LOOKUP(HEIGHTS, corner, 0.0));
                float b = HEIGHT_OF(LEVEL_LOOKUP(HEIGHTS, corner + vec2(texel.x, 0.0), 0.0));
                float c = HEIGHT_OF(LEVEL_LOOKUP(HEIGHTS, corner + vec2(0.0, texel.y), 0.0));
                float e = HEIGHT_OF(LEVEL_LOOKUP(HEIGHTS, corner + texel, 0.0));
                vec2 f = at - node + dir * (from - t);
                float k = a - b - c + e;
                float g0 = a + (b - a) * f.x + (c - a) * f.y + k * f.x * f.y - (1.0 - rayDepth(eyeReach, from));
                float g1 = (b - a) * dir.x + (c - a) * dir.y + k * (f.x * dir.y + f.y * dir.x) + raySlope(eyeReach, from);
                float g2 = k * dir.x * dir.y - layerBend(eyeReach);
                s = g0 >= 0.0 ? 0.0 : firstRoot(g2, g1, g0, tExit - from);
            }
            if (s >= 0.0) {
                t = from + s;
                found = 1.0;
            } else {
                // On past the node; one level up where the border is also one
                // of the level above (or the map's edge).
                t = tExit;
                if (level < pyramidTop && (border <= 0.0 || border >= extent || mod(border, 2.0 * scale) == 0.0)) {
                    level += 1.0;
                    scale *= 2.0;
                }
            }
        }
    }
#ifdef CURVED_LAYER
    if (found < 0.5 && t >= end) return missedAt(eyeReach, end);
#endif
    return min(t, end);
}
#endif

#if EYE_SEARCH == SEARCH_CONE
// The cone map read with linear filtering at a point of the march.
#ifdef GRADIENT_LOOKUP
float coneRoot(vec2 p, vec2 gradX, vec2 gradY) { return GRADIENT_LOOKUP(coneMap, p).r; }
#else
float coneRoot(vec2 p, vec2 gradX, vec2 gradY) { return texture2D(coneMap, p).r; }
#endif

// The gap (height - ray height, >= 0 at or under the surface) at t on the eye
// ray, the ray being at q(t) = start + dir * t in cell coordinates.
float coneGap(vec2 start, vec2 dir, vec2 size, vec2 gradX, vec2 gradY, float t)
{
    return marchHeight((start + dir * t + 0.5) / size, gradX, gradY) - (1.0 - t);
}

// The bilinear cell a point is in along each axis, or the one it is about to
// enter when it sits on a border: floor where the ray moves up, ceil - 1
// where it moves down.
vec2 coneCell(vec2 q, vec2 sgn)
{
    return vec2(sgn.x < 0.0 ? ceil(q.x) - 1.0 : floor(q.x), sgn.y < 0.0 ? ceil(q.y) - 1.0 : floor(q.y));
}

// Robust relaxed cone stepping over the bilinear surface. The march works in
// cell coordinates (texel centres at whole numbers; cell (i, j) is the
// bilinear patch between texels i..i+1 and j..j+1). At each point above the
// surface it reads the cone map with linear filtering (the texture holds the
// ratios after a 3x3 minimum filter, so a blend is never wider than the cone
// of the texel nearest) and takes the longer of two steps:
//  - the cone step, as far as the ray stays in the cone standing on the
//    surface below it. With relaxed cones (the default) the ray meets the
//    surface at most once in that cone, so the step may end under the
//    surface but never passes through it and out; conservative cones hold no
//    surface at all.
//  - the step to the exit of the current bilinear cell. The cone does not
//    vouch for it, but it lies in one bilinear patch, where the gap along the
//    ray is a quadratic: the gaps at its start, middle and end settle whether
//    it goes under, and the step ends at the middle, at the end, or at the
//    quadratic's highest point, whichever is first at or under the surface.
// Every step so reaches at least the next cell, so ITERATIVE_STEPS bounds
// the cells a ray crosses even where the cones are thin. The last point
// above and the first under then bracket the hit for REFINE_STEPS bisections
// and the straight-line estimate between the bracket's ends. The CPU twin is
// ConeTracer (src/relief), step for step.
float coneSearch(vec2 uv, vec2 eyeReach, vec2 gradX, vec2 gradY)
{
    vec2 size = coneMapSize;
    if (size.x < 1.0 || size.y < 1.0) return 0.0;  // no cone map yet
    vec2 start = fract(uv) * size - 0.5;
    vec2 dir = eyeReach * size;
    vec2 sgn = sign(dir);
    float rayRatio = length(eyeReach);  // texture units per unit of depth
    float t = 0.0;
    float gap = coneGap(start, dir, size, gradX, gradY, 0.0);
    float lastAbove = 0.0, aboveGap = gap;
    vec2 cell = coneCell(start, sgn);
    for (float i = 0.0; i < STEP_COUNT; i += 1.0) {
        if (gap >= 0.0) break;
        lastAbove = t;
        aboveGap = gap;
        vec2 q = start + dir * t;
        float c = coneRoot((q + 0.5) / size, gradX, gradY);
        float ratio = c * c;
        float coneStep = ratio * -gap / (rayRatio + ratio);
        // How far the ray runs to the cell's far border along each axis it moves on.
        vec2 ex = vec2(1e30);
        if (sgn.x != 0.0) ex.x = max(0.0, (cell.x + (sgn.x > 0.0 ? 1.0 : 0.0) - q.x) / dir.x);
        if (sgn.y != 0.0) ex.y = max(0.0, (cell.y + (sgn.y > 0.0 ? 1.0 : 0.0) - q.y) / dir.y);
        float cellStep = min(ex.x, ex.y);
        if (coneStep > cellStep) {
            t = min(1.0, t + coneStep);
            gap = coneGap(start, dir, size, gradX, gradY, t);
            cell = coneCell(start + dir * t, sgn);
        } else {
            float end = min(1.0, t + cellStep);
            float mid = 0.5 * (t + end);
            float gm = coneGap(start, dir, size, gradX, gradY, mid);
            float ge = coneGap(start, dir, size, gradX, gradY, end);
            float next = end, nextGap = ge;
            if (gm >= 0.0) {
                next = mid;
                nextGap = gm;
            } else if (ge < 0.0) {
                // g(s) = gap + b s + a s^2 for s in [0, 1] across the stretch.
                float a = 2.0 * (gap - 2.0 * gm + ge), b = ge - gap - a;
                if (a < 0.0) {
                    float s = -b / (2.0 * a);
                    if (s > 0.0 && s < 1.0 && gap + (b + a * s) * s >= 0.0) {
                        next = t + (end - t) * s;
                        nextGap = coneGap(start, dir, size, gradX, gradY, next);
                    }
                }
            }
            // Into the next cell across the border(s) the step leaves by.
            if (next == end) cell += sgn * step(ex, vec2(cellStep));
            t = next;
            gap = nextGap;
        }
    }
    float hitT = t;
    if (gap >= 0.0 && t > 0.0) {
        float lo = lastAbove;
        float loGap = aboveGap, hiGap = gap;
        bisect(uv, eyeReach, gradX, gradY, lo, hitT, loGap, hiGap);
        // The surface taken as straight between the bracket's ends: loGap < 0 <= hiGap.
        hitT -= (hitT - lo) * hiGap / (hiGap - loGap);
    }
    return hitT;
}
#endif

// The eye ray's parameter where EYE_SEARCH meets the surface (0 at the
// polygon, 1 at the relief's bottom).
float eyeSearch(vec2 uv, vec2 eyeReach, vec3 eye, vec2 gradX, vec2 gradY)
{
#if EYE_SEARCH == SEARCH_PYRAMID
    return pyramidSearch(uv, eyeReach);
#elif EYE_SEARCH == SEARCH_CONE
    return coneSearch(uv, eyeReach, gradX, gradY);
#elif EYE_SEARCH == SEARCH_LINEAR
    return linearSearch(uv, eyeReach, eye, gradX, gradY);
#elif EYE_SEARCH == SEARCH_OFFSET
    return offsetSearch(uv);
#else
    return 0.0;
#endif
}

// How much light reaches the point seen: 1 without SHADOW_TRACE. With it, a
// march from the point up to the top of the relief toward the light, where
// whatever stands above the ray casts shadow, the more the higher it stands
// (OFFSET_LIMITING_LIGHT limits the march's reach as OFFSET_LIMITING_EYE
// limits the eye's).
float lightMarch(vec2 uv, vec3 light, float depth)
{
#ifdef SHADOW_TRACE
#ifdef OFFSET_LIMITING_LIGHT
    vec2 lightReach = light.xy * depth;
#else
    vec2 lightReach = light.xy / max(light.z, 0.05) * depth;
#endif
    float start = heightAt(uv);
    float rise = 1.0 - start;
    float blocked = 0.0;
    for (float i = 1.0; i <= STEP_COUNT; i += 1.0) {
        float s = i / STEP_COUNT * rise;
        float above = heightAt(uv + lightReach * s) - (start + s) - shadowBias;
        blocked = max(blocked, above);
    }
    return 1.0 - (1.0 - shadowFloor) * clamp(blocked * 10.0, 0.0, 1.0);
#else
    return 1.0;
#endif
}

#ifdef REFERENCE_HIT
// The hit traced for this pixel, read where the pixel lies in the viewport.
vec4 referenceHit()
{
    return texture2D(referenceHits, (gl_FragCoord.xy - referenceView.xy) / referenceView.zw);
}

// The light the reference lets through: the trace says lit or not, so with
// SHADOW_TRACE a shadowed pixel takes the full shadow the march gives when
// relief stands well above its ray, and without it nothing is shadowed, as
// in the sets compared with it.
float referenceShadow(vec4 hit)
{
#ifdef SHADOW_TRACE
    return hit.b > 0.5 ? 1.0 : shadowFloor;
#else
    return 1.0;
#endif
}
#endif

// The colour and normal lookups of the shading. A reference hit jumps from
// pixel to pixel as the trace does, so implicit derivatives of it would pick
// the wrong mip levels (worst in the 2x2 blocks along the outline): there the
// lookups take the gradients of the polygon's texture coordinate, as the
// window's draws see them.
#if defined(REFERENCE_HIT) && defined(GRADIENT_LOOKUP)
#define SHADE_LOOKUP(s, p) GRADIENT_LOOKUP(s, p)
#else
#define SHADE_LOOKUP(s, p) texture2D(s, p)
#endif

// Blinn-Phong with light 0 and the front material (their products are
// ready-made in gl_FrontLightProduct). A polygon turned away from the light
// gets no direct light whatever its normal map says; the fade keeps the
// terminator soft. gradX and gradY are texCoord's gradients (for SHADE_LOOKUP).
vec4 shade(vec2 uv, vec3 eye, vec3 light, float shadow, vec2 gradX, vec2 gradY)
{
    vec4 base = SHADE_LOOKUP(colorMap, uv);
    vec3 n = normalize(SHADE_LOOKUP(normalMap, uv).rgb * 2.0 - 1.0);
    vec3 halfway = normalize(light + eye);
    float diffuse = max(dot(n, light), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(n, halfway), 0.0), gl_FrontMaterial.shininess) : 0.0;
    float facing = clamp(light.z * 4.0, 0.0, 1.0);

    vec4 color = gl_FrontLightModelProduct.sceneColor + gl_FrontLightProduct[0].ambient * base;
    color += (gl_FrontLightProduct[0].diffuse * base * diffuse +
              gl_FrontLightProduct[0].specular * specular) * (facing * shadow);
    return vec4(color.rgb, base.a);
}

#ifdef WRITE_DEPTH
// Writes the depth of the point hitDepth of the relief's depth down, placed
// on the pixel's eye ray as the header says.
void writeDepth(float hitDepth, float depth, vec3 eye)
{
    float unitLength = sqrt(length(surfaceU) * length(surfaceV));
    float beyond = hitDepth * depth * unitLength / max(eye.z, 0.05);
    vec4 clip = gl_ProjectionMatrix * vec4(eyePosition + normalize(eyePosition) * beyond, 1.0);
    gl_FragDepth = clamp(0.5 * (gl_DepthRange.diff * clip.z / clip.w + gl_DepthRange.near + gl_DepthRange.far), 0.0, 1.0);
}
#endif

void main()
{
    vec3 eye = normalize(eyeVec);
    vec3 light = normalize(lightVec);
    float depth = polyThickness * 0.2;  // in texture coordinates

    // Where the eye ray, entering the relief at texCoord, reaches its bottom.
    // At grazing angles eye.z goes to 0, so it is kept off zero.
#ifdef OFFSET_LIMITING_EYE
    vec2 eyeReach = -eye.xy * depth;
#else
    vec2 eyeReach = -eye.xy / max(eye.z, 0.05) * depth;
#endif
#ifdef CURVED_LAYER
    eyeReach = layerReach(eyeReach);
#endif
    vec2 gradX = dFdx(texCoord);
    vec2 gradY = dFdy(texCoord);

#ifdef REFERENCE_HIT
    vec4 hit = referenceHit();
    if (hit.a < 0.5) discard;  // the traced ray met no surface: background
    vec2 uv = texCoord + hit.xy;
#ifdef REFERENCE_FRAME
    vec2 at = (gl_FragCoord.xy - referenceView.xy) / referenceView.zw;
    eye = texture2D(referenceEye, at).xyz;
    light = texture2D(referenceLight, at).xyz;
#endif
    float shadow = referenceShadow(hit);
#else
    float hitDepth = eyeSearch(texCoord, eyeReach, eye, gradX, gradY);
#ifdef CURVED_LAYER
    if (hitDepth < 0.0) discard;  // the ray left the curved layer
#endif
    vec2 uv = texCoord + eyeReach * hitDepth;
    float shadow = lightMarch(uv, light, depth);
#ifdef WRITE_DEPTH
    writeDepth(hitDepth, depth, eye);
#endif
#endif
#ifdef OUTPUT_HIT
    gl_FragColor = vec4(uv, shadow, 1.0);
#else
    gl_FragColor = shade(uv, eye, light, shadow, gradX, gradY);
#endif
}
