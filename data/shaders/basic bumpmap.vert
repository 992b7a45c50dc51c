// Vertex stage of the relief-shading bench: passes the texture coordinate on and
// turns the directions to light 0 and to the eye into the vertex's tangent
// space, where the normal map and the height field live.
//
// Per vertex: position and normal as usual; texture coordinate set 0 = (u, v);
// set 1 = (tangent x, y, z, handedness); set 2 = the texel scale, the mesh's
// length per texture unit along u and along v; set 3 = the curvature, how far
// the surface falls below the vertex's tangent plane per squared texture unit
// along u and along v, in texture units of relief depth (0 on a flat mesh).
// Light 0's position is already in eye space (it is given under the camera's
// model-view matrix).
//
// With WRITE_DEPTH the stage also hands on the vertex's eye-space position and
// the unnormalised tangent and binormal, dP/du and dP/dv in eye space (the
// unit directions at the texel scale), from which the fragment stage places
// the point its technique found and writes that point's depth.
//
// With CURVED_SILHOUETTE it hands on the curvature, with which the fragment
// stage bends the relief's layer, and the mesh's texture units along u and v
// per texture unit of depth, sqrt(|dP/du| |dP/dv|) / (|dP/du|, |dP/dv|), in
// which that stage measures the eye ray's reach over the texture.

varying vec2 texCoord;
varying vec3 lightVec;  // surface to light, tangent space, not normalised
varying vec3 eyeVec;    // surface to eye, tangent space, not normalised
#ifdef WRITE_DEPTH
varying vec3 eyePosition;  // the surface point in eye space
varying vec3 surfaceU;     // dP/du in eye space: one texture unit along u
varying vec3 surfaceV;     // dP/dv in eye space: one texture unit along v
#endif
#ifdef CURVED_SILHOUETTE
varying vec2 layerCurve;    // the curvature along u and v (texture coordinate set 3)
varying vec2 layerStretch;  // texture units along u and v per texture unit of depth
#endif

void main()
{
    vec4 eyePos = gl_ModelViewMatrix * gl_Vertex;

    // The frame in eye space: the normal through the normal matrix, the tangent
    // (a direction within the surface) through the model-view matrix itself.
    vec3 n = normalize(gl_NormalMatrix * gl_Normal);
    vec3 t = normalize((gl_ModelViewMatrix * vec4(gl_MultiTexCoord1.xyz, 0.0)).xyz);
    // The binormal points along increasing v; where the texture is mirrored
    // that is against n x t, which the handedness says.
    vec3 b = cross(n, t) * gl_MultiTexCoord1.w;

    // A positional light (w = 1) is reached from the vertex; a directional one
    // (w = 0) lies along its position vector everywhere.
    vec3 toLight = gl_LightSource[0].position.xyz - eyePos.xyz * gl_LightSource[0].position.w;
    vec3 toEye = -eyePos.xyz;

    lightVec = vec3(dot(toLight, t), dot(toLight, b), dot(toLight, n));
    eyeVec = vec3(dot(toEye, t), dot(toEye, b), dot(toEye, n));
    texCoord = gl_MultiTexCoord0.xy;
#ifdef WRITE_DEPTH
    eyePosition = eyePos.xyz;
    // The model-view matrix's own scale, read off the unit tangent it carries.
    float viewScale = length((gl_ModelViewMatrix * vec4(gl_MultiTexCoord1.xyz, 0.0)).xyz);
    surfaceU = t * (viewScale * gl_MultiTexCoord2.x);
    surfaceV = b * (viewScale * gl_MultiTexCoord2.y);
#endif
#ifdef CURVED_SILHOUETTE
    layerCurve = gl_MultiTexCoord3.xy;
    layerStretch = sqrt(gl_MultiTexCoord2.x * gl_MultiTexCoord2.y) / max(gl_MultiTexCoord2.xy, 1e-6);
#endif
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
