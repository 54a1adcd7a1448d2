/*
 * The control device of the virtual mouse: what the driver and the programs that script it share.
 *
 * The driver creates \Device\T47MouseControl with the link \DosDevices\T47MouseControl. A
 * program opens \\.\T47MouseControl with CreateFileW (no overlapped I/O) and sends the
 * METHOD_BUFFERED control codes below with DeviceIoControl. The mouse's state lives in the
 * driver, shared by its device nodes: it survives unplugging and plugging them, and is lost when
 * the driver unloads (when the prefix's wineserver exits).
 *
 * C, for the driver. Include <windows.h> and <winioctl.h> (programs) or <ddk/wdm.h> (the driver)
 * first.
 */
#ifndef T47_MOUSE_CONTROL_CODES_H
#define T47_MOUSE_CONTROL_CODES_H

#define T47_MOUSE_CONTROL_DEVICE L"\\Device\\T47MouseControl"
#define T47_MOUSE_CONTROL_LINK L"\\DosDevices\\T47MouseControl"
#define T47_MOUSE_CONTROL_PATH L"\\\\.\\T47MouseControl"
#define T47_MOUSE_CONTROL_VERSION 1

#define T47_MOUSE_CODE(n) \
    CTL_CODE(FILE_DEVICE_UNKNOWN, 0x800 + (n), METHOD_BUFFERED, FILE_ANY_ACCESS)

/* in: a feature report, byte 0 its id (3, 4 or 6), at most as long as the report; the bytes
 * left out are zero. It becomes the stored report, which the next GET_FEATURE returns. */
#define IOCTL_T47_MOUSE_SET_REPORT T47_MOUSE_CODE(0)
/* in: one byte, the report id. out: the stored report, as long as the report is. */
#define IOCTL_T47_MOUSE_GET_REPORT T47_MOUSE_CODE(1)
/* in: ULONG first sequence number (optional, 0 when left out). out: T47_MOUSE_LOG_HEADER and
 * then the transfers from that number on, as many as fit; go on from header.nextSeq. */
#define IOCTL_T47_MOUSE_GET_LOG T47_MOUSE_CODE(2)
/* in: T47_MOUSE_REFUSAL. The next `count` transfers of the kinds chosen fail with `status`;
 * replaces an earlier count, 0 ends it. */
#define IOCTL_T47_MOUSE_REFUSE T47_MOUSE_CODE(3)
/* in: an input report, byte 0 its id, 1 to T47_MOUSE_INPUT_MAX bytes. Fails with
 * STATUS_DEVICE_NOT_CONNECTED while the input interface is unplugged, where it would be lost. */
#define IOCTL_T47_MOUSE_SEND_INPUT T47_MOUSE_CODE(4)
/* no buffers: stored reports back to their id and zeros, log empty (sequence numbers start at 1
 * again), no refusals, no input waiting, default ids. */
#define IOCTL_T47_MOUSE_RESET T47_MOUSE_CODE(5)
/* out: T47_MOUSE_STATUS. */
#define IOCTL_T47_MOUSE_GET_STATUS T47_MOUSE_CODE(6)
/* in: T47_MOUSE_IDS, the ids that interfaces plugged in from now on report. */
#define IOCTL_T47_MOUSE_SET_IDS T47_MOUSE_CODE(7)

#define T47_MOUSE_DEFAULT_VENDOR 0x1B80
#define T47_MOUSE_DEFAULT_PRODUCT 0xB412

#define T47_MOUSE_REFUSE_SET 0x1
#define T47_MOUSE_REFUSE_GET 0x2

#define T47_MOUSE_LOG_SET 1
#define T47_MOUSE_LOG_GET 2

#define T47_MOUSE_FEATURE_MAX 2049 /* the longest feature report, id 4 */
#define T47_MOUSE_INPUT_MAX 64
#define T47_MOUSE_LOG_DEPTH 128 /* transfers kept; older ones are dropped */
#define T47_MOUSE_INPUT_DEPTH 64

typedef struct {
    ULONG count;
    ULONG kinds; /* T47_MOUSE_REFUSE_SET | T47_MOUSE_REFUSE_GET */
    LONG status; /* NTSTATUS to fail with; 0 stands for STATUS_UNSUCCESSFUL */
} T47_MOUSE_REFUSAL;

typedef struct {
    USHORT vendorId;
    USHORT productId;
} T47_MOUSE_IDS;

typedef struct {
    ULONG count;     /* transfers that follow */
    ULONG nextSeq;   /* the first sequence number not returned */
    ULONG oldestSeq; /* the oldest one still kept */
    ULONG reserved;
    LONGLONG qpcFrequency; /* ticks a second of T47_MOUSE_LOG_ENTRY.qpc */
} T47_MOUSE_LOG_HEADER;

typedef struct {
    ULONG entrySize; /* bytes of this record, data included, a multiple of 8 */
    ULONG seq;       /* 1, 2, 3 ... since the driver loaded or was reset */
    LONGLONG qpc;    /* when the transfer arrived: KeQueryPerformanceCounter, the same clock as
                        QueryPerformanceCounter in every process of the prefix */
    UCHAR op;        /* T47_MOUSE_LOG_SET or T47_MOUSE_LOG_GET */
    UCHAR reportId;
    USHORT reserved;
    LONG status;      /* NTSTATUS the transfer completed with */
    ULONG length;     /* buffer length the host sent or asked for */
    ULONG dataLength; /* bytes in data: received (SET) or returned (GET) */
    UCHAR data[1];
} T47_MOUSE_LOG_ENTRY;

#define T47_MOUSE_LOG_ENTRY_HEADER 32 /* offset of data */

typedef struct {
    ULONG version;      /* T47_MOUSE_CONTROL_VERSION */
    ULONG nodes;        /* device nodes started, one per interface */
    ULONG inputNode;    /* 1 while the input interface is plugged in */
    ULONG readsPending; /* reads the HID class driver keeps waiting at the input node */
    ULONG inputsQueued; /* input reports waiting for such a read */
    ULONG nextSeq;      /* sequence number of the next transfer */
    ULONG refusalsLeft; /* transfers still to refuse */
    ULONG refusalKinds;
    USHORT vendorId; /* ids that interfaces plugged in from now on report */
    USHORT productId;
    ULONG resets; /* resets since the driver loaded */
    LONGLONG qpcFrequency;
    LONGLONG loadedQpc; /* when the driver loaded: another value means another driver instance */
} T47_MOUSE_STATUS;

#endif
