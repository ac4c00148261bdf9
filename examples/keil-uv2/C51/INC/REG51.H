/* Standard 8051 registers (example data). */
