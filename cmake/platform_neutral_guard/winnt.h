#error "This folder is platform-neutral: it may not include <winnt.h>. Windows code belongs in winsupport/, imaging/ or a deliverable's folder."
