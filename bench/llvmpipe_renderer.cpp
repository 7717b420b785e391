// llvmpipe side of the benchmark: OSMesa renders into our buffer; GLSL per-pixel Phong with the
// same two point lights and material, a depth test, and (per variant) bump, 4x multisampling with
// blending, or per-channel refraction of the background.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/osmesa.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <string>

#include "bench/renderers.h"

namespace bench {

namespace {

const char* kSceneVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
uniform vec2 size;
out vec3 vPosition;
out vec3 vNormal;
out vec2 vUv;
void main() {
    vPosition = position;
    vNormal = normal;
    vUv = uv;
    vec2 pixel = position.xy + size * 0.5;
    gl_Position = vec4(pixel / size * 2.0 - 1.0, 1.0 - position.z / 500.0, 1.0);
}
)";

const char* kSceneFragment = R"(
in vec3 vPosition;
in vec3 vNormal;
in vec2 vUv;
uniform vec3 lightPosition[2];
uniform vec3 lightColour[2];
uniform float lightMultiplier[2];
uniform vec3 diffuse;
uniform vec3 specular;
uniform float exponent;
uniform float strength;
uniform float selfIllum;
uniform float opacity;
uniform sampler2D bumpMap;
uniform float bumpFactor;
uniform sampler2D background;
uniform vec3 glass;  // optical coefficient, refraction, aberration factor q
out vec4 colour;
void main() {
    vec3 n = normalize(vNormal);
    vec3 c = diffuse;
#ifdef BUMP
    ivec2 size = textureSize(bumpMap, 0);
    ivec2 t = ivec2(fract(vUv) * vec2(size - 1));
    float h = dot(texelFetch(bumpMap, t, 0).rgb, vec3(255.0));
    float right = dot(texelFetch(bumpMap, min(t + ivec2(1, 0), size - 1), 0).rgb, vec3(255.0));
    float below = dot(texelFetch(bumpMap, min(t + ivec2(0, 1), size - 1), 0).rgb, vec3(255.0));
    n.xy -= bumpFactor * vec2(right - h, below - h);
#endif
#ifdef GLASS
    ivec2 last = textureSize(background, 0) - 1;
    float f = -n.z * glass.x - ((n.z - 1.0) * glass.x + 1.0);
    vec3 lengths = glass.y * vec3(1.0, glass.z, glass.z * glass.z);
    for (int i = 0; i < 3; ++i) {
        ivec2 s = clamp(ivec2(gl_FragCoord.xy + f * n.xy * lengths[i]), ivec2(0), last);
        c[i] = clamp(texelFetch(background, s, 0)[i] + c[i] - 0.5, 0.0, 1.0);
    }
#endif
    vec3 o = vec3(0.0);
    for (int k = 0; k < 2; ++k) {
        vec3 l = normalize(lightPosition[k] - vPosition);
        float d = max(dot(n, l) * lightMultiplier[k], 0.0);
        float spec = d > 0.0 ? pow(d, exponent) * strength : 0.0;
        float lit = d * (1.0 - selfIllum) + selfIllum;
        o += (lit * c + spec * specular) * lightColour[k];
    }
    colour = vec4(clamp(o, 0.0, 1.0), opacity);
}
)";

const char* kQuadVertex = R"(#version 330 core
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID & 2) * 2 - 1));
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

const char* kQuadFragment = R"(#version 330 core
uniform sampler2D background;
out vec4 colour;
void main() { colour = texelFetch(background, ivec2(gl_FragCoord.xy), 0); }
)";

GLuint Compile(GLenum kind, const std::string& source) {
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader: %s\n", log);
    }
    return shader;
}

GLuint Link(const std::string& vertex, const std::string& fragment) {
    const GLuint program = glCreateProgram();
    glAttachShader(program, Compile(GL_VERTEX_SHADER, vertex));
    glAttachShader(program, Compile(GL_FRAGMENT_SHADER, fragment));
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "program: %s\n", log);
    }
    return program;
}

GLuint Texture(int width, int height, const std::uint8_t* pixels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    return texture;
}

class LlvmpipeRenderer : public Renderer {
public:
    LlvmpipeRenderer(const Scene& scene, Variant variant, OSMesaContext context)
        : scene_(scene), variant_(variant), context_(context),
          pixels_(static_cast<std::size_t>(scene.width) * scene.height * 4) {
        MakeCurrent();
        std::string defines = "#version 330 core\n";
        if (variant == Variant::QualityBump) defines += "#define BUMP 1\n";
        if (variant == Variant::Glass) defines += "#define GLASS 1\n";
        program_ = Link(kSceneVertex, defines + kSceneFragment);
        quad_ = Link(kQuadVertex, kQuadFragment);

        background_ = Texture(scene.width, scene.height, scene.background.data());
        bump_ = Texture(kBumpSize, kBumpSize, scene.bump.data());

        glGenVertexArrays(1, &vertexArray_);
        glBindVertexArray(vertexArray_);
        glGenBuffers(1, &vertexBuffer_);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(scene.vertices.size() * sizeof(Vertex)),
                     scene.vertices.data(), GL_STATIC_DRAW);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(0));
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(12));
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(24));
        for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);

        glUseProgram(program_);
        glUniform2f(glGetUniformLocation(program_, "size"), static_cast<float>(scene.width),
                    static_cast<float>(scene.height));
        float positions[6], colours[6], multipliers[2];
        for (int i = 0; i < 2; ++i) {
            positions[3 * i] = kLights[i].x, positions[3 * i + 1] = kLights[i].y, positions[3 * i + 2] = kLights[i].z;
            colours[3 * i] = kLights[i].r, colours[3 * i + 1] = kLights[i].g, colours[3 * i + 2] = kLights[i].b;
            multipliers[i] = kLights[i].multiplier;
        }
        glUniform3fv(glGetUniformLocation(program_, "lightPosition"), 2, positions);
        glUniform3fv(glGetUniformLocation(program_, "lightColour"), 2, colours);
        glUniform1fv(glGetUniformLocation(program_, "lightMultiplier"), 2, multipliers);
        glUniform3fv(glGetUniformLocation(program_, "diffuse"), 1, kDiffuse);
        glUniform3fv(glGetUniformLocation(program_, "specular"), 1, kSpecular);
        glUniform1f(glGetUniformLocation(program_, "exponent"), kShininess * 100.0f);
        glUniform1f(glGetUniformLocation(program_, "strength"), kStrength);
        glUniform1f(glGetUniformLocation(program_, "selfIllum"), kSelfIllum);
        glUniform1f(glGetUniformLocation(program_, "opacity"), variant == Variant::QualityBump ? kLayerOpacity : 1.0f);
        glUniform1f(glGetUniformLocation(program_, "bumpFactor"), kBumpAmount * 0.1f);
        const float a = kGlassAberration * 0.01f;
        glUniform3f(glGetUniformLocation(program_, "glass"), kGlassOptical, kGlassRefraction, (1 + a) * (1 - a));
        glUniform1i(glGetUniformLocation(program_, "bumpMap"), 1);
        glUniform1i(glGetUniformLocation(program_, "background"), 0);
        glUseProgram(quad_);
        glUniform1i(glGetUniformLocation(quad_, "background"), 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, background_);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, bump_);

        if (variant == Variant::QualityBump) {
            // 4x multisampled target, resolved into the output after drawing.
            glGenFramebuffers(1, &multisampled_);
            glBindFramebuffer(GL_FRAMEBUFFER, multisampled_);
            GLuint buffers[2];
            glGenRenderbuffers(2, buffers);
            glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, 4, GL_RGBA8, scene.width, scene.height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
            glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, 4, GL_DEPTH_COMPONENT24, scene.width, scene.height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
            if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
                std::fprintf(stderr, "llvmpipe: multisampled framebuffer incomplete\n");
            }
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
        }
        glViewport(0, 0, scene.width, scene.height);
        glFinish();
    }

    ~LlvmpipeRenderer() override { OSMesaDestroyContext(context_); }

    void Render() override {
        MakeCurrent();
        glBindFramebuffer(GL_FRAMEBUFFER, multisampled_);
        glClear(GL_DEPTH_BUFFER_BIT);
        // Background.
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glUseProgram(quad_);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        // Scene.
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        if (variant_ == Variant::QualityBump) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        glUseProgram(program_);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(scene_.vertices.size()));
        if (multisampled_ != 0) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampled_);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glBlitFramebuffer(0, 0, scene_.width, scene_.height, 0, 0, scene_.width, scene_.height,
                              GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
        glFinish();
    }

    const std::uint8_t* Pixels() const override { return pixels_.data(); }

private:
    void MakeCurrent() {
        OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, scene_.width, scene_.height);
    }

    const Scene& scene_;
    Variant variant_;
    OSMesaContext context_;
    std::vector<std::uint8_t> pixels_;
    GLuint program_ = 0, quad_ = 0, background_ = 0, bump_ = 0;
    GLuint vertexArray_ = 0, vertexBuffer_ = 0, multisampled_ = 0;
};

}  // namespace

std::unique_ptr<Renderer> MakeLlvmpipe(const Scene& scene, Variant variant) {
    const int attributes[] = {OSMESA_FORMAT, OSMESA_RGBA, OSMESA_DEPTH_BITS, 24, OSMESA_PROFILE,
                              OSMESA_CORE_PROFILE, OSMESA_CONTEXT_MAJOR_VERSION, 3, OSMESA_CONTEXT_MINOR_VERSION, 3,
                              0};
    OSMesaContext context = OSMesaCreateContextAttribs(attributes, nullptr);
    if (context == nullptr) return nullptr;
    return std::make_unique<LlvmpipeRenderer>(scene, variant, context);
}

}  // namespace bench
