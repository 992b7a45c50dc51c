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
//
// ITERATIVE_STEPS arrives as a float literal (32.0 when none is given). Any set
// of the macros may be defined. The bench's fidelity meter adds OUTPUT_HIT: the
// fragment then holds the texture coordinate finally used and the shadow factor
// instead of a colour, to be compared with a traced reference. ITERATIVE_LERP needs the iterative march and
// OFFSET_LIMITING_LIGHT the light march, so each brings its partner along.
//
// The relief: the polygon lies at the top of it (height 1 in the normal map's
// alpha); height 0 lies polyThickness fifths of a texture repeat below (the
// default 0.5 puts the mortar of the bench's bricks about a third of a course
// deep).

#ifndef ITERATIVE_STEPS
#define ITERATIVE_STEPS 32.0
#endif
#if defined(ITERATIVE_LERP) && !defined(ITERATIVE)
#define ITERATIVE
#endif
#if defined(OFFSET_LIMITING_LIGHT) && !defined(SHADOW_TRACE)
#define SHADOW_TRACE
#endif

uniform sampler2D colorMap;
uniform sampler2D normalMap;  // rgb: unit normal packed as (n + 1) / 2; a: height
uniform float polyThickness;  // depth of the relief, in fifths of a texture repeat

varying vec2 texCoord;
varying vec3 lightVec;
varying vec3 eyeVec;

// How much light is left to a texel in full shadow.
const float shadowFloor = 0.25;
// Heights the light ray must clear, so a surface does not shadow itself.
const float shadowBias = 0.02;

float heightAt(vec2 uv)
{
    return texture2D(normalMap, uv).a;
}

void main()
{
    vec3 eye = normalize(eyeVec);
    vec3 light = normalize(lightVec);
    float depth = polyThickness * 0.2;  // in texture coordinates
    vec2 uv = texCoord;

    // Where the eye ray, entering the relief at uv, reaches its bottom. At
    // grazing angles eye.z goes to 0, so it is kept off zero.
#ifdef OFFSET_LIMITING_EYE
    vec2 eyeReach = -eye.xy * depth;
#else
    vec2 eyeReach = -eye.xy / max(eye.z, 0.05) * depth;
#endif

#if defined(ITERATIVE)
    // Linear search: sample the ray at ITERATIVE_STEPS even steps from the top
    // (t = 0) to the bottom (t = 1) of the relief; the first sample at or under
    // the height field is the hit. The bottom always is, so there is one. The
    // loop runs in full for every pixel, keeping the texture fetches in uniform
    // control flow.
    float stepSize = 1.0 / ITERATIVE_STEPS;
    float prevGap = heightAt(uv) - 1.0;  // >= 0 once the ray is under the surface
    float hitT = 0.0;
    float searching = prevGap >= 0.0 ? 0.0 : 1.0;
    for (float i = 1.0; i <= ITERATIVE_STEPS; i += 1.0) {
        float t = i * stepSize;
        float gap = heightAt(uv + eyeReach * t) - (1.0 - t);
        if (searching > 0.5 && gap >= 0.0) {
#ifdef ITERATIVE_LERP
            // The surface taken as straight between the two samples: prevGap < 0 <= gap.
            hitT = t - stepSize * gap / (gap - prevGap);
#else
            hitT = t;
#endif
            searching = 0.0;
        }
        prevGap = gap;
    }
    uv += eyeReach * hitT;
#elif defined(PARALLAX) || defined(OFFSET_LIMITING_EYE)
    // One sample: the texel's own height says how deep the ray has to go.
    uv += eyeReach * (1.0 - heightAt(uv));
#endif

    vec4 base = texture2D(colorMap, uv);
    vec3 n = normalize(texture2D(normalMap, uv).rgb * 2.0 - 1.0);

    float shadow = 1.0;
#ifdef SHADOW_TRACE
    // March from the point seen up to the top of the relief toward the light.
    // Whatever stands above the ray casts shadow, the more the higher it stands.
#ifdef OFFSET_LIMITING_LIGHT
    vec2 lightReach = light.xy * depth;
#else
    vec2 lightReach = light.xy / max(light.z, 0.05) * depth;
#endif
    float start = heightAt(uv);
    float rise = 1.0 - start;
    float blocked = 0.0;
    for (float i = 1.0; i <= ITERATIVE_STEPS; i += 1.0) {
        float s = i / ITERATIVE_STEPS * rise;
        float above = heightAt(uv + lightReach * s) - (start + s) - shadowBias;
        blocked = max(blocked, above);
    }
    shadow = 1.0 - (1.0 - shadowFloor) * clamp(blocked * 10.0, 0.0, 1.0);
#endif

    // Blinn-Phong with light 0 and the front material (their products are
    // ready-made in gl_FrontLightProduct). A polygon turned away from the light
    // gets no direct light whatever its normal map says; the fade keeps the
    // terminator soft.
    vec3 halfway = normalize(light + eye);
    float diffuse = max(dot(n, light), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(n, halfway), 0.0), gl_FrontMaterial.shininess) : 0.0;
    float facing = clamp(light.z * 4.0, 0.0, 1.0);

    vec4 color = gl_FrontLightModelProduct.sceneColor + gl_FrontLightProduct[0].ambient * base;
    color += (gl_FrontLightProduct[0].diffuse * base * diffuse +
              gl_FrontLightProduct[0].specular * specular) * (facing * shadow);
#ifdef OUTPUT_HIT
    gl_FragColor = vec4(uv, shadow, 1.0);
#else
    gl_FragColor = vec4(color.rgb, base.a);
#endif
}
