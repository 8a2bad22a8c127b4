/* libskylark: reads the first line of a note file. */
#include <stdio.h>
#include <string.h>

int skylark_first_line(const char* path, char* buffer, int size)
{
    FILE* file;
    if (path == NULL || buffer == NULL || size <= 0)
        return -1;
    file = fopen(path, "r");
    if (file == NULL)
        return -1;
    if (fgets(buffer, size, file) == NULL)
        buffer[0] = '\0';
    fclose(file);
    buffer[strcspn(buffer, "\n")] = '\0';
    return (int)strlen(buffer);
}
