#include "statustext.h"

using namespace Qt::Literals::StringLiterals;

namespace StatusText {

QString danish(int count)
{
    return u"Der er fundet %1 frimærke(r)."_s.arg(count);
}

QString english(int count)
{
    return u"%1 stamps found."_s.arg(count);
}

QString german(int count)
{
    return u"I alles: %1 Dizadariduz."_s.arg(count);
}

QString plain()
{
    return u"Morvane Software"_s;
}

} // namespace StatusText
