#error "This folder is platform-neutral: it may not include <tchar.h>. Windows code belongs in winsupport/, imaging/ or a deliverable's folder."
