#include "orvmisc/OrvParamListener.h"

#include "orvmisc/OrvParamStorage.h"

OrvParamListener::~OrvParamListener()
{
    OrvParamStorage::ForgetListener(this);
}
