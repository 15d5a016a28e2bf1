#pragma once
#define IDS_ZV_REG_KEY        103
#define IDS_ZV_APP_NAME       104
#define IDS_ZV_PROP_MUTEX     105
#define IDS_ZV_PROFILE        106
