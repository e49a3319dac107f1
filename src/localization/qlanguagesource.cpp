#include "qlanguagesource.h"

#include <string>

void TQLanguageSource::SetActiveLanguage(int index)
{
    if (index < -1 || index > 3)
        throw EQLocalError("Index out of bounds (" + std::to_string(index) + ")");
    m_activeLanguage = index;
}
