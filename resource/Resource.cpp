#include "resource/Resource.h"

void Resource::setNumberedTexts(const NumberedTexts& texts)
{
    if (&texts == &m_numberedTexts)
        return;
    m_numberedTexts.clear();
    for (const auto& entry : texts)
        m_numberedTexts.insert(entry);
}
