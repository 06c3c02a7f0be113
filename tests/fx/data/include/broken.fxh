// Included by include_error.fx: the error is on line 3 of this file.
float4 Broken() {
    return undefinedName;
}
