#include "app/state/KeyedListModel.h"
