#include "StdDrawObject.h"

bool StdDrawObject::setClosed(bool closed) {
    m_closed = closed && points.size() >= 3;
    return m_closed;
}
