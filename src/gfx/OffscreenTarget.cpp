// OffscreenTarget: creating, binding and reading back the framebuffer object.
#include "OffscreenTarget.h"

#include <GL/glext.h>

namespace {

// Reads one colour attachment of the bound read framebuffer; restores the
// read buffer and pack alignment it changes.
void readAttachment(GLuint fbo, int attachment, int w, int h, GLenum type, void* out) {
  GLint oldRead = 0, oldReadBuffer = 0, oldAlign = 4;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &oldRead);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  glGetIntegerv(GL_READ_BUFFER, &oldReadBuffer);
  glGetIntegerv(GL_PACK_ALIGNMENT, &oldAlign);
  glReadBuffer(static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + attachment));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, type, out);
  glPixelStorei(GL_PACK_ALIGNMENT, oldAlign);
  glReadBuffer(static_cast<GLenum>(oldReadBuffer));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(oldRead));
}

}  // namespace

bool OffscreenTarget::create(int width, int height, int attachments, GLenum format, std::string& error) {
  destroy();
  if (width <= 0 || height <= 0 || attachments < 1 || attachments > 4) {
    error = "an offscreen target of " + std::to_string(width) + "x" + std::to_string(height) + " cannot be made";
    return false;
  }
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
  if (width > maxSize || height > maxSize) {
    error = "the GL cannot draw offscreen pictures of " + std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  w = width;
  h = height;
  colorFormat = format;
  GLint oldFbo = 0, oldTex = 0, oldRb = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &oldFbo);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTex);
  glGetIntegerv(GL_RENDERBUFFER_BINDING, &oldRb);

  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
  colors.resize(static_cast<size_t>(attachments));
  glGenTextures(attachments, colors.data());
  GLenum const type = format == GL_RGBA32F ? GL_FLOAT : GL_UNSIGNED_BYTE;
  for (int i = 0; i < attachments; ++i) {
    glBindTexture(GL_TEXTURE_2D, colors[static_cast<size_t>(i)]);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, GL_RGBA, type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + i), GL_TEXTURE_2D,
                           colors[static_cast<size_t>(i)], 0);
  }
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
  glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
  GLenum const status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);

  glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(oldRb));
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTex));
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(oldFbo));
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    error = "the GL cannot draw into this kind of offscreen picture";
    destroy();
    return false;
  }
  return true;
}

void OffscreenTarget::destroy() {
  if (bound) unbind();
  if (!colors.empty()) glDeleteTextures(static_cast<GLsizei>(colors.size()), colors.data());
  if (depth) glDeleteRenderbuffers(1, &depth);
  if (fbo) glDeleteFramebuffers(1, &fbo);
  colors.clear();
  depth = fbo = 0;
  w = h = 0;
  colorFormat = 0;
}

void OffscreenTarget::bind() {
  if (!fbo || bound) return;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &savedFbo);
  glGetIntegerv(GL_DRAW_BUFFER, &savedDrawBuffer);
  glGetIntegerv(GL_VIEWPORT, savedViewport);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
  GLenum buffers[4];
  for (size_t i = 0; i < colors.size(); ++i) buffers[i] = static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + i);
  glDrawBuffers(static_cast<GLsizei>(colors.size()), buffers);
  glViewport(0, 0, w, h);
  bound = true;
}

void OffscreenTarget::unbind() {
  if (!bound) return;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(savedFbo));
  glDrawBuffer(static_cast<GLenum>(savedDrawBuffer));
  glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
  bound = false;
}

std::vector<float> OffscreenTarget::readFloats(int attachment) const {
  std::vector<float> out(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  if (fbo && attachment >= 0 && attachment < static_cast<int>(colors.size()))
    readAttachment(fbo, attachment, w, h, GL_FLOAT, out.data());
  return out;
}

std::vector<unsigned char> OffscreenTarget::readBytes(int attachment) const {
  std::vector<unsigned char> out(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  if (fbo && attachment >= 0 && attachment < static_cast<int>(colors.size()))
    readAttachment(fbo, attachment, w, h, GL_UNSIGNED_BYTE, out.data());
  return out;
}

std::vector<float> OffscreenTarget::readDepth() const {
  std::vector<float> out(static_cast<size_t>(w) * static_cast<size_t>(h), 1.0f);
  if (!fbo) return out;
  GLint oldRead = 0, oldAlign = 4;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &oldRead);
  glGetIntegerv(GL_PACK_ALIGNMENT, &oldAlign);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, out.data());
  glPixelStorei(GL_PACK_ALIGNMENT, oldAlign);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(oldRead));
  return out;
}
