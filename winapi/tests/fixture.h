// Ids of the stand-in's test resources.
#define IDB_STRIP 110
#define IDB_INDEXED 111
#define IDC_PICK 104
#define IDS_SEVEN 7
#define IDS_TWENTY 20
#define IDM_THIRD 40001
#define IDM_LOCKED 40073
#define IDD_SIZE 200
#define IDC_WIDTH 1001
