// Texture shader ownership of its picture.
#include "engine/core/Shaders.h"

#include "engine/core/Dib.h"

C2DTextureShader::~C2DTextureShader() { delete m_pPicture; }

uint64_t C2DTextureShader::NextRevision()
{
    static uint64_t s_next = 0;
    return ++s_next;
}

void C2DTextureShader::SetPicture(CDIB* picture)
{
    if (picture == m_pPicture) return;
    delete m_pPicture;
    m_pPicture = picture;
    ClearCompile();
}
