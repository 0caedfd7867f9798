#include "state/FileNameList.h"

QStringList FileNameList;
