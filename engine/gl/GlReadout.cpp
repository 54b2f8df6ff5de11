// The corner readout: a built-in 5x7 pixel font, every lit cell one quad, over a dark backing box.
#include "engine/gl/GlReadout.h"

#include "engine/gl/Gl.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPixel;
uniform vec2 uSize;
void main() { gl_Position = vec4(aPixel / uSize * 2.0 - 1.0, 0.0, 1.0); }
)";

const char* kFragmentShader = R"(#version 330 core
uniform vec4 uColour;
out vec4 fragColor;
void main() { fragColor = uColour; }
)";

constexpr int kGlyphWidth = 5, kGlyphHeight = 7;

struct SGlyph {
    char c;
    uint8_t rows[kGlyphHeight];  // top row first; bit 4 is the leftmost cell
};

// Only what a frame-rate readout needs.
const SGlyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
};

const SGlyph* FindGlyph(char c)
{
    for (const SGlyph& g : kGlyphs)
        if (g.c == c) return &g;
    return nullptr;
}

void AddQuad(std::vector<float>& v, float x0, float y0, float x1, float y1)
{
    const float quad[12] = {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1};
    v.insert(v.end(), quad, quad + 12);
}

GLuint Compile(GLenum kind, const char* source)
{
    const GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(s);
        return 0;
    }
    return s;
}
}

struct CGlReadout::SState {
    bool built = false;
    bool failed = false;
    GLuint program = 0, buffer = 0;
    GLint uSize = -1, uColour = -1;
    std::vector<float> box, cells;

    bool Build()
    {
        const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
        const GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
        if (vs && fs) {
            program = glCreateProgram();
            glAttachShader(program, vs);
            glAttachShader(program, fs);
            glLinkProgram(program);
            GLint ok = 0;
            glGetProgramiv(program, GL_LINK_STATUS, &ok);
            if (!ok) {
                glDeleteProgram(program);
                program = 0;
            }
        }
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        if (!program) {
            // A readout is a nicety: said once, never in the way of the universe.
            std::fprintf(stderr, "nimbula: the frame-rate readout cannot be drawn (its shader failed)\n");
            failed = true;
            return false;
        }
        uSize = glGetUniformLocation(program, "uSize");
        uColour = glGetUniformLocation(program, "uColour");
        glGenBuffers(1, &buffer);
        built = true;
        return true;
    }

    // The text's cells and the box behind it, in pixels from the bottom-left corner.
    void Layout(const std::string& text, int height)
    {
        // About as tall as a desktop's small print: 2 pixels a cell up to 720 lines, then more.
        const float cell = float(std::max(2, height / 360));
        const float margin = 4.0f * cell, pad = 2.0f * cell;
        const float advance = float(kGlyphWidth + 1) * cell;
        cells.clear();
        box.clear();
        float x = margin + pad;
        const float top = margin + pad + kGlyphHeight * cell;
        for (char c : text) {
            if (const SGlyph* g = FindGlyph(c)) {
                for (int row = 0; row < kGlyphHeight; ++row)
                    for (int col = 0; col < kGlyphWidth; ++col)
                        if (g->rows[row] & (0x10 >> col))
                            AddQuad(cells, x + col * cell, top - (row + 1) * cell, x + (col + 1) * cell, top - row * cell);
            }
            x += advance;
        }
        AddQuad(box, margin, margin, x - cell + pad, top + pad);
    }

    void DrawQuads(const std::vector<float>& v, float r, float g, float b, float a)
    {
        if (v.empty()) return;
        glUniform4f(uColour, r, g, b, a);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(v.size() * sizeof(float)), v.data(), GL_STREAM_DRAW);
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(v.size() / 2));
    }
};

CGlReadout::CGlReadout() : m_state(new SState) {}

CGlReadout::~CGlReadout() = default;

void CGlReadout::AbandonContext()
{
    const bool failed = m_state->failed;
    *m_state = SState();
    m_state->failed = failed;
}

void CGlReadout::Draw(const std::string& text, int width, int height)
{
    SState& s = *m_state;
    if (s.failed || width <= 0 || height <= 0) return;
    if (!s.built && !s.Build()) return;
    s.Layout(text, height);

    glViewport(0, 0, width, height);
    // The orb renderer keeps its depth slices across frames: the readout must not write depth.
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(s.program);
    glUniform2f(s.uSize, float(width), float(height));
    // Vertex arrays are not shared between contexts (one per monitor's window): one per draw.
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 2 * sizeof(float), nullptr);
    s.DrawQuads(s.box, 0.0f, 0.0f, 0.0f, 0.6f);
    s.DrawQuads(s.cells, 1.0f, 224.0f / 255.0f, 0.0f, 1.0f);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}
