#include "app/KeyedListModel.h"
