/* Trelvor 8051: special function registers beyond the standard 8051 set (example data). */
#ifndef TRELVOR8051_H
#define TRELVOR8051_H

sfr TRV_CKCON = 0x8E; /* clock control */
sfr TRV_WDTCN = 0x97; /* watchdog control */
sfr TRV_P4 = 0xC0;    /* port 4 */

#endif
